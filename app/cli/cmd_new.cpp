#include "cli.h"

#include "image/codec.h"
#include "image/defaults.h"

namespace qb41::cli {

// qb41-cli new --model N OUT.hex
int RunNew(Context& context, const Arguments& args) {
    std::optional<ModelNumber> model = args.model();
    if (!model) throw UsageError{"--model is required"};
    if (args.operands().size() != 1) throw UsageError{"expected one output file"};
    context.app.modelNumber = *model;
    MakeFreshDataSet(context.data, *model);
    PrepareImageForWrite(context.data, *model);
    const RadioImage& image = context.data.image;
    std::string bytes(image.begin(), image.begin() + ImageSize(*model));
    WriteFileAtomically(args.operands()[0], bytes);
    return 0;
}

} // namespace qb41::cli
