#include "cli.h"
#include "link_session.h"

namespace qb41::cli {

// qb41-cli detect --port DEV
int RunDetect(Context& context, const Arguments& args) {
    LinkArguments link = ParseLinkArguments(args);
    if (!args.operands().empty()) throw UsageError{"detect takes no file"};
    LinkSession session(context, link, "detect");
    link::LinkOutcome outcome = session.Run([](link::CloneLink& c) { return c.DetectRun(); });
    if (outcome != link::LinkStatus::Ok || !outcome.radioModel) return session.Explain(outcome);
    context.out << "model " << *outcome.radioModel << ' ' << ModelWithCode(*outcome.radioModel)
                << " on " << link.device << '\n';
    return 0;
}

} // namespace qb41::cli
