// The shared frame of every run, the model check and the read.
#include "clone_link.h"

#include "messages.h"
#include "write_plan.h"

#include "core/errors.h"
#include "image/codec.h"

#include <algorithm>
#include <new>

namespace qb41::link {

namespace {

// The number and description a trapped failure is reported with.
RuntimeError AsRuntimeError(const std::exception& error) {
    if (auto* runtime = dynamic_cast<const RuntimeError*>(&error)) return *runtime;
    if (dynamic_cast<const std::bad_alloc*>(&error)) return RuntimeError(ErrorNumber::OutOfMemory);
    return RuntimeError(ErrorNumber::InvalidProcedureCall, error.what());
}

constexpr int kModelCodeFront = 64;

} // namespace

CloneLink::CloneLink(LinkContext context, std::string device, LinkTiming timing)
    : ctx_(context), device_(std::move(device)),
      port_(context.transport, context.clock, context.app, context.cancel, context.log, timing) {}

int CloneLink::lastIndex() const {
    return ImageLastIndex(ctx_.app.modelNumber);
}

int CodeCopyIndex(ModelNumber model) {
    return ImageLastIndex(model) - 1;
}

void CloneLink::ShowProgress(int percent, int current, int maximum) {
    if (progress_) progress_({std::min(percent, 100), current, maximum});
}

void CloneLink::Begin() {
    // A cancel pressed before this run started does not count.
    ctx_.cancel.reset();
    port_.beginRun();
    ctx_.app.loading = true;
}

LinkStatus CloneLink::Finish(bool completed) {
    ctx_.app.loading = false;
    if (completed) return LinkStatus::Ok;
    return port_.cancelSeen() ? LinkStatus::Cancelled : LinkStatus::Failed;
}

// A failure inside an operation: logged, shown as its number and description
// titled with its source, and the operation stops with the port closed.
void CloneLink::TrapRuntimeError(const char* source, const std::exception& error) {
    RuntimeError failure = AsRuntimeError(error);
    ctx_.log.LogError(source, ErrorText(failure));
    ctx_.notifier.show(MessageIcon::Critical, source,
                       std::to_string(static_cast<int>(failure.number())) + "\n\n" +
                           failure.description());
    ctx_.app.errorFlag = true;
    ctx_.app.cancelFlag = true;
    port_.PortClose();
}

void CloneLink::LogLineLost(const char* source) {
    if (port_.lineLost())
        ctx_.log.LogError(source, ErrorText(RuntimeError(ErrorNumber::DeviceIoError)));
}

void CloneLink::ReadDataChkModel() {
    AppState& app = ctx_.app;
    try {
        if (!port_.PortOpen(device_)) {
            app.errorFlag = true;
            return;
        }
        app.errorFlag = false;
        const int copy = CodeCopyIndex(app.modelNumber);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(lastIndex()) + 1, 0);
        for (int index : {kModelCodeFront, kModelCodeFront + 1, copy, copy + 1}) {
            port_.ReadByte(static_cast<std::uint16_t>(index), buffer);
            if (app.errorFlag) break;
        }
        port_.PortClose();
        LogLineLost(kSourceReadDataChkModel);
        if (app.cancelFlag) return;
        if (app.errorFlag) {
            ctx_.notifier.show(MessageIcon::Critical, kTitleModelCheck, kCommunicationError);
            return;
        }
        auto word = [&](int i) {
            return static_cast<std::uint16_t>(buffer[static_cast<std::size_t>(i)] << 8 |
                                              buffer[static_cast<std::size_t>(i) + 1]);
        };
        if (!ModelIdMatches(app.modelNumber, word(kModelCodeFront), word(copy))) {
            app.errorFlag = true;
            ctx_.notifier.show(MessageIcon::Critical, kTitleRead, kModelTypeError);
        }
    } catch (const std::exception& error) {
        TrapRuntimeError(kSourceReadDataChkModel, error);
    }
}

void CloneLink::AbortRead() {
    port_.FlushInput();
    port_.SendByte(kCAN);
    ctx_.app.cancelFlag = true;
}

// What ReadData, WriteData and ClearData share: the port open for the
// exchange, then either nothing (cancelled), the failure message, or the
// pause after a success.
void CloneLink::TransferStep(const char* source, const char* title, const char* failure,
                             const std::function<void()>& exchange,
                             const std::function<void()>& succeeded) {
    AppState& app = ctx_.app;
    try {
        if (!port_.PortOpen(device_)) {
            app.errorFlag = true;
            return;
        }
        exchange();
        port_.PortClose();
        LogLineLost(source);
        if (app.cancelFlag) return;
        if (app.errorFlag) {
            ctx_.notifier.show(MessageIcon::Critical, title, failure);
            return;
        }
        if (succeeded) succeeded();
        ctx_.clock.pause(port_.timing().settlePause);
    } catch (const std::exception& error) {
        TrapRuntimeError(source, error);
    }
}

void CloneLink::ReadData(std::vector<std::uint8_t>& buffer) {
    TransferStep(kSourceReadData, kTitleRead, kCommunicationError, [&] {
        AppState& app = ctx_.app;
        const int last = static_cast<int>(buffer.size()) - 1;
        const int blocks = static_cast<int>(buffer.size()) / kBlockSize;
        ShowProgress(0, 0, blocks);
        for (int address = 0; address <= last; address += kBlockSize) {
            ShowProgress(ProgressPercent(address, last), address / kBlockSize, blocks);
            port_.ReadBlock(static_cast<std::uint16_t>(address), buffer);
            if (app.errorFlag || app.cancelFlag) break;
        }
        if (app.cancelFlag) AbortRead();
    });
}

void CopyReadImage(RadioImage& destination, int destinationLastIndex,
                   std::span<const std::uint8_t> source) {
    const int last = std::min(destinationLastIndex, static_cast<int>(source.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        if (i == 0) i = 64;
        if (i == 192) i = 256;
        if (i == 13824) i = 16382;
        if (i > last) break;
        destination[static_cast<std::size_t>(i)] = source[static_cast<std::size_t>(i)];
    }
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

LinkStatus CloneLink::ReadRun() {
    Begin();
    ReadDataChkModel();
    bool completed = false;
    if (!ctx_.app.errorFlag) {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(lastIndex()) + 1, 0);
        ReadData(buffer);
        if (!ctx_.app.errorFlag && !ctx_.app.cancelFlag && AdoptReadImage(buffer)) {
            completed = true;
            ctx_.app.completed = true;
            ctx_.notifier.show(MessageIcon::Information, kTitleRead, kComplete);
        }
    }
    return Finish(completed);
}

} // namespace qb41::link
