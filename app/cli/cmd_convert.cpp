#include "cli.h"

#include "editor/file_edge.h"
#include "files/data_file_writer.h"
#include "files/data_files.h"

namespace qb41::cli {

// qb41-cli convert IN OUT [--model N]; OUT "-" is the settings data file text
// on standard output.
int RunConvert(Context& context, const Arguments& args) {
    const std::vector<std::string>& files = args.operands();
    if (files.size() != 2) throw UsageError{"expected an input and an output file"};
    if (!CanLoad(FileKindOf(files[0]))) throw UsageError{"IN must be a .dat, .hex or .ini file"};
    const bool toStdout = files[1] == "-";
    if (!toStdout && !CanSave(FileKindOf(files[1])))
        throw UsageError{"OUT must be a .dat, .hex or .txt file, or -"};
    LoadInput(context, "convert", files[0], args.model(), IncompleteFile::Warn);
    if (toStdout) {
        context.out << WithLf(
            FormatDataFile(context.data.records, context.app.modelNumber, UserDecimalSeparator()));
        return 0;
    }
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!SaveDataSet(file, FilePath(files[1]))) throw Failed{};
    return 0;
}

} // namespace qb41::cli
