#include "cli.h"

#include "editor/file_edge.h"
#include "files/data_files.h"
#include "image/defaults.h"

namespace qb41::cli {

// qb41-cli new --model N OUT: the data reset without a destination, saved as
// the kind OUT names (.hex image, .dat settings, .txt report).
int RunNew(Context& context, const Arguments& args) {
    std::optional<ModelNumber> model = args.model();
    if (!model) throw UsageError{"--model is required"};
    if (args.operands().size() != 1) throw UsageError{"expected one output file"};
    const std::string& out = args.operands()[0];
    if (!CanSave(FileKindOf(out))) throw UsageError{"OUT must end in .hex, .dat or .txt"};
    context.app.modelNumber = *model;
    MakeFreshDataSet(context.data, *model);
    FileContext file{context.app, context.data, context.notifier, context.log};
    return SaveDataSet(file, FilePath(out)) ? 0 : 1;
}

} // namespace qb41::cli
