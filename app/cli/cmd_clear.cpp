#include "cli.h"
#include "link_session.h"

#include "image/defaults.h"

namespace qb41::cli {

// qb41-cli clear --port DEV [--model N]: sets the radio's user-MMSI entry
// counter (image byte 501) to 0.
int RunClear(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (!args.operands().empty()) throw UsageError{"clear takes no file"};
    const ModelNumber model = link.model.value_or(2);
    context.app.modelNumber = model;
    MakeFreshDataSet(context.data, model);
    return RunTransfer(context, link.device, "clear",
                       [](link::CloneLink& clone) { return clone.ClearRun(); });
}

} // namespace qb41::cli
