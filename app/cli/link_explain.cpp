// The lines that say what happened after a run that did not complete and
// what to do, chosen from the run's outcome.
#include "link_session.h"

#include "link/explanation.h"

namespace qb41::cli {

int LinkSession::Explain(const link::LinkOutcome& outcome, const std::string& restore,
                         std::optional<ModelNumber> fileModel) {
    if (outcome.reason == link::LinkReason::None) return 0;
    std::ostream& err = context().err;
    const std::string prefix = "qb41-cli " + verb() + ": ";
    link::ExplainContext about;
    about.audience = link::Audience::CommandLine;
    about.device = device();
    about.model = fileModel.value_or(context().app.modelNumber);
    about.modelFromFile = fileModel.has_value();
    if (outcome.reason == link::LinkReason::PortUnavailable)
        about.port = link::DiagnosePort(device());
    const link::Explanation explanation = link::Explain(outcome, about);
    err << prefix << explanation.cause << '\n';
    if (!explanation.nextStep.empty()) {
        std::string step = explanation.nextStep;
        for (std::size_t at = step.find('\n'); at != std::string::npos;
             at = step.find('\n', at + 3))
            step.insert(at + 1, "  ");
        err << "  " << step << '\n';
    }
    if (outcome.radioWritten) {
        err << prefix << "the radio may be partly programmed";
        if (!restore.empty())
            err << "; to put back what it held before, run:\n  " << restore << '\n';
        else
            err << " (no backup was made)\n";
    }
    return outcome.status == link::LinkStatus::Cancelled ? kExitCancelled : 1;
}

} // namespace qb41::cli
