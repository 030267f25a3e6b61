// The protocol steps of the model check, the detection and the read, and the
// runs made of them: read, read into a buffer, verify.
#include "clone_link.h"

#include "messages.h"
#include "write_plan.h"

#include "image/codec.h"
#include "image/layout.h"

#include <algorithm>
#include <cstdio>

namespace qb41::link {

namespace {

constexpr int kModelCodeFront = layout::kModelIdFront;

} // namespace

// Reads the code word at 64-65 and its copy at `copy`, `copy` + 1 into the
// outcome, stopping at the first byte that fails. The port is open.
void CloneLink::ReadModelWords(int copy) {
    const AppState& app = ctx_.app;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::max(copy + 1, lastIndex())) + 1,
                                     0);
    auto word = [&](int i) {
        return static_cast<std::uint16_t>(buffer[static_cast<std::size_t>(i)] << 8 |
                                          buffer[static_cast<std::size_t>(i) + 1]);
    };
    // A radio not yet in clone mode stays silent: say at once that it is awaited.
    ShowWaiting(true);
    port_.ReadByte(kModelCodeFront, buffer);
    ShowWaiting(false);
    if (port_.flags.error) return;
    port_.ReadByte(kModelCodeFront + 1, buffer);
    if (port_.flags.error) return;
    outcome_.radioModelCode = word(kModelCodeFront);
    // Another model's radio may be smaller than the copy's address (an 8 KiB
    // radio ignores a read at 16382): its front code already tells.
    if (copy < 0 || *outcome_.radioModelCode != ModelCode(app.modelNumber)) return;
    for (int index : {copy, copy + 1}) {
        port_.ReadByte(static_cast<std::uint16_t>(index), buffer);
        if (port_.flags.error) return;
    }
    outcome_.radioModelCopy = word(copy);
}

void CloneLink::ReadDataChkModel() {
    const AppState& app = ctx_.app;
    try {
        SetPhase(LinkPhase::OpeningPort);
        if (!port_.PortOpen(device_)) {
            port_.flags.error = true;
            Fail(LinkReason::PortUnavailable, port_.openFailure());
            return;
        }
        SetPhase(LinkPhase::ModelCheck);
        port_.flags.error = false;
        ReadModelWords(CodeCopyIndex(app.modelNumber));
        port_.PortClose();
        LogLineLost(kSourceReadDataChkModel);
        if (port_.flags.cancel) return;
        if (port_.flags.error) {
            FailTransfer();
            Tell(MessageIcon::Critical, kTitleModelCheck, kCommunicationError);
            return;
        }
        const std::uint16_t front = *outcome_.radioModelCode;
        const std::optional<std::uint16_t> back = outcome_.radioModelCopy;
        if (!back || !ModelIdMatches(app.modelNumber, front, *back)) {
            port_.flags.error = true;
            char detail[96];
            char copyText[16] = "";
            if (back) std::snprintf(copyText, sizeof copyText, " (copy %04X)", *back);
            std::snprintf(detail, sizeof detail,
                          "the radio's model code is %04X%s; model %d is %04X", front, copyText,
                          static_cast<int>(app.modelNumber),
                          static_cast<unsigned>(ModelCode(app.modelNumber)));
            Fail(LinkReason::ModelMismatch, detail);
            Tell(MessageIcon::Critical, kTitleRead, kModelTypeError);
        }
    } catch (const std::exception& error) {
        TrapRuntimeError(kSourceReadDataChkModel, error);
    }
}

LinkOutcome CloneLink::DetectRun() {
    Begin();
    bool completed = false;
    try {
        if (!port_.PortOpen(device_)) {
            port_.flags.error = true;
            Fail(LinkReason::PortUnavailable, port_.openFailure());
            return Finish(false);
        }
        SetPhase(LinkPhase::ModelCheck);
        port_.flags.error = false;
        ReadModelWords(-1);
        std::optional<ModelNumber> model;
        if (!port_.flags.error) {
            if (const ModelInfo* known = FindModelByCode(*outcome_.radioModelCode))
                model = known->number;
            // Model 1 carries its copy at 8190; the others at 16382.
            if (model) {
                std::vector<std::uint8_t> buffer(kImageCapacity, 0);
                const int copy = CodeCopyIndex(*model);
                for (int index : {copy, copy + 1}) {
                    port_.ReadByte(static_cast<std::uint16_t>(index), buffer);
                    if (port_.flags.error) break;
                }
                if (!port_.flags.error)
                    outcome_.radioModelCopy =
                        static_cast<std::uint16_t>(buffer[static_cast<std::size_t>(copy)] << 8 |
                                                   buffer[static_cast<std::size_t>(copy) + 1]);
            }
        }
        port_.PortClose();
        LogLineLost(kSourceReadDataChkModel);
        if (port_.flags.cancel) return Finish(false);
        if (port_.flags.error) {
            FailTransfer();
            return Finish(false);
        }
        char detail[80];
        if (!model) {
            std::snprintf(detail, sizeof detail, "the radio's model code %04X is not a known model",
                          static_cast<unsigned>(*outcome_.radioModelCode));
            Fail(LinkReason::ModelMismatch, detail);
        } else if (outcome_.radioModelCopy != outcome_.radioModelCode) {
            std::snprintf(detail, sizeof detail,
                          "the radio's model code is %04X but its copy is %04X",
                          static_cast<unsigned>(*outcome_.radioModelCode),
                          static_cast<unsigned>(*outcome_.radioModelCopy));
            Fail(LinkReason::ModelMismatch, detail);
        } else {
            outcome_.radioModel = model;
            completed = true;
        }
        if (!completed) port_.flags.error = true;
    } catch (const std::exception& error) {
        TrapRuntimeError(kSourceReadDataChkModel, error);
    }
    return Finish(completed);
}

void CloneLink::AbortRead() {
    port_.FlushInput();
    port_.SendByte(kCAN);
    port_.flags.cancel = true;
}

void CloneLink::ReadData(std::vector<std::uint8_t>& buffer) {
    TransferStep(kSourceReadData, kTitleRead, kCommunicationError, [&] {
        last_.phase = LinkPhase::Reading; // reported by the 0 % below
        const int last = static_cast<int>(buffer.size()) - 1;
        const int blocks = static_cast<int>(buffer.size()) / kBlockSize;
        ShowProgress(0, 0, blocks);
        for (int address = 0; address <= last; address += kBlockSize) {
            if (scope_ == ReadScope::KeptBlocks && !ReadKeepsBlock(address, last)) continue;
            ShowProgress(ProgressPercent(address, last), address / kBlockSize, blocks);
            port_.ReadBlock(static_cast<std::uint16_t>(address), buffer);
            if (port_.flags.error || port_.flags.cancel) break;
        }
        if (port_.flags.cancel) AbortRead();
    });
}

void CopyReadImage(RadioImage& destination, int destinationLastIndex,
                   std::span<const std::uint8_t> source) {
    const int last = std::min(destinationLastIndex, static_cast<int>(source.size()) - 1);
    for (const layout::ImageRange& kept : layout::kReadKeeps)
        for (int i = kept.first; i <= std::min(kept.last, last); ++i)
            destination[static_cast<std::size_t>(i)] = source[static_cast<std::size_t>(i)];
}

// Copy and decode into a copy of the data set, so that a failing decode
// leaves the image and records as they were.
bool CloneLink::AdoptReadImage(const std::vector<std::uint8_t>& buffer) {
    try {
        DataSet updated = ctx_.data;
        CopyReadImage(updated.image, updated.imageLastIndex, buffer);
        DecodeImage(updated, ctx_.app.modelNumber);
        ctx_.data = std::move(updated);
        return true;
    } catch (const std::exception& error) {
        TrapRuntimeError(kSourceReadData, error);
        return false;
    }
}

// The model check and every block of the scope into `buffer`; true when all
// of it arrived.
bool CloneLink::ReadImage(ReadScope scope, std::vector<std::uint8_t>& buffer) {
    scope_ = scope;
    ReadDataChkModel();
    if (port_.flags.error) return false;
    buffer.assign(static_cast<std::size_t>(lastIndex()) + 1, 0);
    ReadData(buffer);
    return !port_.flags.error && !port_.flags.cancel;
}

LinkOutcome CloneLink::ReadRun(ReadScope scope) {
    Begin();
    std::vector<std::uint8_t> buffer;
    bool completed = false;
    if (ReadImage(scope, buffer) && AdoptReadImage(buffer)) {
        completed = true;
        outcome_.transferCompleted = true;
        Tell(MessageIcon::Information, kTitleRead, kComplete);
    }
    return Finish(completed);
}

LinkOutcome CloneLink::ReadImageRun(std::vector<std::uint8_t>& image, ReadScope scope) {
    Begin();
    std::vector<std::uint8_t> buffer;
    const bool completed = ReadImage(scope, buffer);
    if (completed) image = std::move(buffer);
    return Finish(completed);
}

LinkOutcome CloneLink::VerifyRun() {
    Begin();
    std::vector<std::uint8_t> radio;
    bool completed = ReadImage(ReadScope::KeptBlocks, radio);
    if (completed) {
        outcome_.differences = DifferingRanges(radio, ctx_.data.image, lastIndex());
        if (!outcome_.differences.empty()) {
            completed = false;
            port_.flags.error = true;
            Fail(LinkReason::VerifyMismatch,
                 "the radio differs from what was programmed at " + outcome_.differences);
        }
    }
    return Finish(completed);
}

} // namespace qb41::link
