#include "cli.h"

#include "files/data_file_writer.h"
#include "files/data_files.h"
#include "image/codec.h"
#include "image/defaults.h"

namespace qb41::cli {

// qb41-cli new --model N OUT (.hex or .dat)
int RunNew(Context& context, const Arguments& args) {
    std::optional<ModelNumber> model = args.model();
    if (!model) throw UsageError{"--model is required"};
    if (args.operands().size() != 1) throw UsageError{"expected one output file"};
    context.app.modelNumber = *model;
    MakeFreshDataSet(context.data, *model);
    if (FileKindOf(args.operands()[0]) == FileKind::DataFile) {
        FileContext file{context.app, context.data, context.notifier, context.log};
        return SaveFileAs(file, args.operands()[0]) ? 0 : 1;
    }
    PrepareImageForWrite(context.data, *model);
    const RadioImage& image = context.data.image;
    std::string bytes(image.begin(), image.begin() + ImageSize(*model));
    WriteFileAtomically(args.operands()[0], bytes);
    return 0;
}

} // namespace qb41::cli
