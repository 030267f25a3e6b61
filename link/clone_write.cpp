// Program and clear: both check the model first, then write.
#include "clone_link.h"

#include "messages.h"
#include "write_plan.h"

#include "image/codec.h"
#include "image/layout.h"

namespace qb41::link {

namespace {

bool Unchanged(const std::vector<std::uint8_t>* radio, const RadioImage& image, int first,
               int last) {
    if (!radio || static_cast<std::size_t>(last) >= radio->size()) return false;
    for (int i = first; i <= last; ++i)
        if ((*radio)[static_cast<std::size_t>(i)] != image[static_cast<std::size_t>(i)])
            return false;
    return true;
}

} // namespace

// Walks the plan; stops at the first write that leaves the error or cancel
// flag set.
// With the radio's current contents at hand, blocks and bytes that already
// hold the image's values are skipped.
void CloneLink::WritePlanned(const std::vector<std::uint8_t>* radioImage) {
    const RadioImage& image = ctx_.data.image;
    const std::vector<WriteStep> plan = WritePlan(lastIndex());
    const int steps = static_cast<int>(plan.size());
    auto failed = [&] { return port_.flags.error || port_.flags.cancel; };
    for (int i = 0; i < steps; ++i) {
        const WriteStep& step = plan[static_cast<std::size_t>(i)];
        ShowProgress(ProgressPercent(step.blockAddress, lastIndex()), i, steps);
        if (step.action == WriteStep::Action::Bytes) {
            for (int index = step.first; index <= step.last; ++index) {
                if (Unchanged(radioImage, image, index, index)) continue;
                port_.WriteByte(static_cast<std::uint16_t>(index), image);
                if (failed()) return;
            }
        } else if (step.action == WriteStep::Action::Block) {
            if (Unchanged(radioImage, image, step.first, step.last)) continue;
            port_.WriteBlock(static_cast<std::uint16_t>(step.blockAddress), image);
            if (failed()) return;
        }
    }
}

// A cancelled write sends no abort byte and shows nothing.
void CloneLink::WriteData() {
    TransferStep(kSourceWriteData, kTitleProgram, kWriteCommunicationError, [&] {
        port_.flags.error = false;
        last_.phase = LinkPhase::Programming; // reported by the 0 % below
        ShowProgress(0, 0, static_cast<int>(WritePlan(lastIndex()).size()));
        WritePlanned(radioImage_);
    });
}

LinkOutcome CloneLink::ProgramRun(const ProgramOptions& options) {
    Begin();
    radioImage_ = options.radioImage;
    const AppState& app = ctx_.app;
    try {
        if (options.prepareImage) PrepareImageForWrite(ctx_.data, app.modelNumber);
    } catch (const std::exception& error) {
        TrapRuntimeError(kSourceWriteData, error);
        return Finish(false);
    }
    ReadDataChkModel();
    bool completed = false;
    if (!port_.flags.error) {
        WriteData();
        if (!port_.flags.error && !port_.flags.cancel) {
            completed = true;
            outcome_.transferCompleted = true;
            Tell(MessageIcon::Information, kTitleProgram, kComplete);
        }
    }
    return Finish(completed);
}

void CloneLink::ClearData() {
    TransferStep(
        kSourceClearData, kTitleClear, kWriteCommunicationError,
        [&] {
            last_.phase = LinkPhase::Clearing; // reported by the 0 % below
            ShowProgress(0, 0, 1);
            port_.WriteByte(layout::kClearCounter, ctx_.data.image);
        },
        [&] { ShowProgress(100, 1, 1); });
}

LinkOutcome CloneLink::ClearRun() {
    Begin();
    ReadDataChkModel();
    bool completed = false;
    if (!port_.flags.error) {
        std::uint8_t& counter = ctx_.data.image[layout::kClearCounter];
        const std::uint8_t previous = counter;
        counter = 0;
        ClearData();
        if (port_.flags.error || port_.flags.cancel) {
            counter = previous;
        } else {
            completed = true;
            outcome_.transferCompleted = true;
            Tell(MessageIcon::Information, kTitleClear, kComplete);
        }
    }
    return Finish(completed);
}

} // namespace qb41::link
