#include "cli.h"
#include "link_session.h"

#include "core/errors.h"
#include "image/defaults.h"

namespace qb41::cli {

// qb41-cli clear --port DEV [--model N] [--no-backup]: sets the radio's
// user-MMSI entry counter (image byte 501) to 0, after a backup.
int RunClear(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (!args.operands().empty()) throw UsageError{"clear takes no file"};
    LinkSession session(context, link, "clear");
    int status = 1;
    const std::optional<ModelNumber> model = RadioModel(session, link, status);
    if (!model) return status;
    context.app.modelNumber = *model;
    MakeFreshDataSet(context.data, *model);
    std::string restore;
    if (!args.flag("--no-backup")) {
        std::vector<std::uint8_t> radio;
        auto saved = ReadBackup(session, link, *model, true, radio, std::nullopt, status);
        if (!saved) return status;
        restore = *saved;
    }
    link::LinkOutcome cleared = session.Run([](link::CloneLink& c) { return c.ClearRun(); });
    if (cleared != link::LinkStatus::Ok) return session.Explain(cleared, restore);
    return 0;
}

} // namespace qb41::cli
