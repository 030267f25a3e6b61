#include "cli.h"

#include "files/data_files.h"
#include "report/report_text.h"

namespace qb41::cli {

// qb41-cli report IN [-o OUT] [--model N]
int RunReport(Context& context, const Arguments& args) {
    const std::vector<std::string>& files = args.operands();
    if (files.size() != 1) throw UsageError{"expected one input file"};
    if (!CanLoad(FileKindOf(files[0]))) throw UsageError{"IN must be a .dat, .hex or .ini file"};
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!LoadDataSetFor(file, files[0], args.model())) throw Failed{};
    if (std::optional<std::string> out = args.option("-o")) {
        if (!SaveReportText(file, *out)) throw Failed{};
        return 0;
    }
    context.out << ReportFileText(MakeReportText(context.data, context.app.modelNumber));
    return context.out.flush() ? 0 : 1;
}

} // namespace qb41::cli
