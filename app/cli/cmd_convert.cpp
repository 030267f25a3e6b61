#include "cli.h"

#include "files/data_files.h"

namespace qb41::cli {

// qb41-cli convert IN OUT [--model N]
int RunConvert(Context& context, const Arguments& args) {
    const std::vector<std::string>& files = args.operands();
    if (files.size() != 2) throw UsageError{"expected an input and an output file"};
    if (!CanLoad(FileKindOf(files[0]))) throw UsageError{"IN must be a .dat, .hex or .ini file"};
    if (!CanSave(FileKindOf(files[1]))) throw UsageError{"OUT must be a .dat, .hex or .txt file"};
    FileContext file{context.app, context.data, context.notifier, context.log};
    if (!LoadDataSetFor(file, files[0], args.model())) throw Failed{};
    if (!SaveDataSet(file, files[1])) throw Failed{};
    return 0;
}

} // namespace qb41::cli
