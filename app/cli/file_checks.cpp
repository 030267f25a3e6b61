// Loading an input file with the check's findings shown as warnings, and the
// checks made before long work: can the output be written, is "-" allowed.
#include "cli.h"

#include "editor/file_edge.h"
#include "files/data_file_check.h"
#include "files/data_file_reader.h"
#include "files/data_files.h"
#include "files/file_io.h"

#include "core/platform.h"

namespace qb41::cli {

bool LoadInput(Context& context, const char* verb, const std::string& path,
               std::optional<ModelNumber> model, IncompleteFile incomplete) {
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!LoadDataSetFor(file, FilePath(path), model)) throw Failed{};
    if (FileKindOf(path) != FileKind::DataFile) return true;
    std::string text;
    try {
        text = ReadWholeFile(FilePath(path), kMaxDataFileBytes);
    } catch (const std::exception&) {
        return true; // it was just read: nothing more to say
    }
    int missing = 0, values = 0;
    std::string firstMissing;
    for (const DataFileFinding& finding : CheckDataFileText(text)) {
        if (finding.kind == DataFileFinding::Kind::MissingSection) {
            if (missing++ == 0) firstMissing = finding.text;
            continue;
        }
        values += IsValueFinding(finding) ? 1 : 0;
        context.err << "qb41-cli " << verb << ": warning: " << path << ": " << FindingLine(finding)
                    << '\n';
    }
    const bool refuse = incomplete == IncompleteFile::Refuse;
    if (missing > 0)
        context.err << "qb41-cli " << verb << ": " << (refuse ? "" : "warning: ") << path
                    << " is incomplete: it lacks " << missing
                    << " section(s) a complete file always has (" << firstMissing
                    << (missing > 1 ? ", ..." : "") << "); they "
                    << (refuse ? "would become" : "become") << " defaults\n";
    if (values > 0 && refuse)
        context.err << "qb41-cli " << verb << ": " << path << " has " << values
                    << " value(s) outside their rules (listed above)\n";
    if (!refuse || (missing == 0 && values == 0)) return true;
    context.err << "  The file may be damaged. 'qb41-cli check " << path
                << "' lists the findings; --force programs it anyway.\n";
    throw Failed{};
}

void CheckWritable(Context& context, const char* verb, const std::string& path) {
    std::filesystem::path target = SaveTarget(FilePath(path));
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    const char* cause = nullptr;
    if (!std::filesystem::is_directory(folder, ec))
        cause = "no such folder";
    else if (!platform::FolderWritable(folder))
        cause = "permission denied (the folder)";
    else if (std::filesystem::exists(target, ec) && !platform::FileWritable(target))
        cause = "permission denied";
    else if (std::filesystem::is_directory(target, ec))
        cause = "it is a folder";
    if (!cause) return;
    context.err << "qb41-cli " << verb << ": cannot write " << path << ": " << cause
                << "; nothing was read\n";
    throw Failed{};
}

std::filesystem::path FilePath(const std::string& argument) {
    return platform::PathFromUtf8(argument);
}

std::string WithLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

} // namespace qb41::cli
