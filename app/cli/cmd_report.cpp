#include "cli.h"

#include "editor/file_edge.h"
#include "files/data_files.h"
#include "report/report_text.h"

namespace qb41::cli {

// qb41-cli report IN [-o OUT.txt|-] [--model N]
int RunReport(Context& context, const Arguments& args) {
    const std::vector<std::string>& files = args.operands();
    if (files.size() != 1) throw UsageError{"expected one input file"};
    if (!CanLoad(FileKindOf(files[0]))) throw UsageError{"IN must be a .dat, .hex or .ini file"};
    const std::optional<std::string> out = args.option("-o");
    const bool toFile = out && *out != "-";
    if (toFile && FileKindOf(*out) != FileKind::ReportText)
        throw UsageError{"-o takes a .txt file (or - for standard output)"};
    LoadInput(context, "report", files[0], args.model(), IncompleteFile::Warn);
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (toFile) {
        if (!SaveReportText(file, FilePath(*out))) throw Failed{};
        return 0;
    }
    context.out << WithLf(ReportFileText(MakeReportText(context.data, context.app.modelNumber)));
    return 0;
}

} // namespace qb41::cli
