#include "cli.h"
#include "identity_warnings.h"

#include "files/data_file_check.h"
#include "files/data_file_reader.h"
#include "files/data_files.h"
#include "files/file_io.h"

namespace qb41::cli {

// qb41-cli check IN.dat: every finding with its line; 0 only when clean.
int RunCheck(Context& context, const Arguments& args) {
    if (args.operands().size() != 1) throw UsageError{"expected one settings file"};
    const std::string& path = args.operands()[0];
    if (FileKindOf(path) != FileKind::DataFile) throw UsageError{"IN must be a .dat file"};
    std::string text;
    try {
        text = ReadWholeFile(FilePath(path), kMaxDataFileBytes);
    } catch (const std::exception& error) {
        context.err << "qb41-cli check: cannot read " << path << ": " << FileFailureCause(error)
                    << '\n';
        throw Failed{};
    }
    const std::vector<DataFileFinding> findings = CheckDataFileText(text);
    for (const DataFileFinding& finding : findings)
        context.out << path << ": " << FindingLine(finding) << '\n';
    PrintIdentityWarnings(context, "check", FileIdentityFindings(context, path));
    if (findings.empty()) {
        context.out << path << ": no findings\n";
        return 0;
    }
    return 1;
}

} // namespace qb41::cli
