// What write, verify and fleet share after a transfer: the settings encoded
// over the radio's contents, the radio read back, and the ranges and fields
// it differs in from what was programmed.
#include "link_session.h"
#include "radio_fields.h"

#include "core/errors.h"
#include "image/codec.h"
#include "link/write_plan.h"

namespace qb41::cli {

bool BuildOver(Context& context, LinkSession& session, std::span<const std::uint8_t> base) {
    try {
        BuildImageToWrite(context.data, context.app.modelNumber, base);
        return true;
    } catch (const std::exception& error) {
        session.Say() << "the settings cannot be encoded: " << ErrorText(error)
                      << "; nothing was written\n";
        return false;
    }
}

// Compares the write plan's bytes of `radio` with `context.data.image`.
int CompareWithRadio(Context& context, LinkSession& session, const std::vector<std::uint8_t>& radio,
                     const std::string& what) {
    const std::string ranges =
        DifferingRanges(radio, context.data.image, ImageLastIndex(context.app.modelNumber));
    if (ranges.empty()) {
        session.Say() << "the radio matches " << what << '\n';
        return 0;
    }
    session.Say() << "the radio differs from " << what << " at " << ranges << '\n';
    PrintFieldDifferences(context, radio);
    return 1;
}

// Reads the radio (the blocks a read keeps) into `radio`; nullopt on success,
// else the exit status after the explanation.
std::optional<int> ReadRadio(Context& context, LinkSession& session,
                             std::vector<std::uint8_t>& radio) {
    link::LinkOutcome read = session.Run([&radio](link::CloneLink& c) {
        return c.ReadImageRun(radio, link::ReadScope::KeptBlocks);
    });
    if (read != link::LinkStatus::Ok) return session.Explain(read, {}, context.app.modelNumber);
    return std::nullopt;
}

} // namespace qb41::cli
