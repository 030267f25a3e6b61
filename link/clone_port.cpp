#include "clone_port.h"

#include "messages.h"

#include "core/errors.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace qb41::link {

ClonePort::ClonePort(Transport& transport, Clock& clock, const AppState& app,
                     const CancelToken& cancel, const ErrorLog& log, LinkTiming timing)
    : transport_(transport), clock_(clock), app_(app), cancel_(cancel), log_(log), timing_(timing) {
}

bool ClonePort::PortOpen(const std::string& device) {
    if (transport_.isOpen()) return true;
    try {
        transport_.open(PortSettings{device});
        lineLost_ = false;
        openFailure_.clear();
        return true;
    } catch (const std::exception& error) {
        openFailure_ = ErrorText(error);
        log_.LogError(kSourcePortOpen, openFailure_);
        return false;
    }
}

void ClonePort::PortClose() {
    if (transport_.isOpen()) transport_.close();
}

void ClonePort::FlushInput() {
    if (transport_.isOpen()) transport_.flushInput();
}

void ClonePort::SendCommand(CommandCode code, std::uint16_t address,
                            std::span<const std::uint8_t> data) {
    Bytes frame = BuildCommand(code, address, data);
    if (code == CommandCode::WriteByte || code == CommandCode::WriteBlock) ++writesSent_;
    if (lineLost_ || !transport_.write(frame)) lineLost_ = true;
}

void ClonePort::SendByte(std::uint8_t value) {
    const std::uint8_t byte[1] = {value};
    if (lineLost_ || !transport_.write(byte)) lineLost_ = true;
}

namespace {

// Reports "waiting" once a wait passes its notice time and "no longer
// waiting" when that wait ends, however it ends.
class WaitNotice {
public:
    WaitNotice(const std::function<void(bool)>& notice, Clock::TimePoint at)
        : notice_(notice), at_(at) {}
    ~WaitNotice() {
        if (shown_) notice_(false);
    }
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;
    // The deadline of the next wait: the notice time while it is pending.
    Clock::TimePoint Until(Clock::TimePoint deadline) const {
        return notice_ && !shown_ && at_ < deadline ? at_ : deadline;
    }
    void Check(Clock::TimePoint now) {
        if (!notice_ || shown_ || now < at_) return;
        shown_ = true;
        notice_(true);
    }

private:
    const std::function<void(bool)>& notice_;
    Clock::TimePoint at_;
    bool shown_ = false;
};

} // namespace

WaitResult ClonePort::WaitForByte(std::uint8_t expected, std::chrono::milliseconds limit) {
    const Clock::TimePoint deadline = clock_.now() + limit;
    WaitNotice notice(notice_, clock_.now() + timing_.waitNotice);
    std::optional<std::uint8_t> last;
    for (;;) {
        if (lineLost_ || !transport_.isOpen()) return WaitResult::LineLost;
        if (transport_.bytesAvailable() >= 1) {
            std::uint8_t byte = 0;
            transport_.read(std::span(&byte, 1));
            last = byte;
        }
        if (cancel_.requested()) return WaitResult::Cancelled;
        if (clock_.now() >= deadline) return WaitResult::Timeout;
        if (last == expected) return WaitResult::Ok;
        if (transport_.bytesAvailable() == 0) {
            if (transport_.waitForBytes(1, notice.Until(deadline), cancel_) == WaitStatus::LineLost)
                return WaitResult::LineLost;
            if (transport_.bytesAvailable() == 0) notice.Check(clock_.now());
        }
    }
}

WaitResult ClonePort::ReceiveFrame(std::span<std::uint8_t> buffer,
                                   std::chrono::milliseconds limit) {
    flags.error = true;
    flags.cancel = false;
    const std::size_t n = buffer.size();
    const Clock::TimePoint deadline = clock_.now() + limit;
    for (;;) {
        if (lineLost_ || !transport_.isOpen()) return WaitResult::LineLost;
        const std::size_t available = transport_.bytesAvailable();
        if (available == n) break;
        if (cancel_.requested()) return WaitResult::Cancelled;
        if (clock_.now() >= deadline) return WaitResult::Timeout;
        // Once more than n bytes are buffered the count cannot come back to n:
        // only the deadline or a cancel ends the wait.
        const std::size_t wanted = available < n ? n : std::numeric_limits<std::size_t>::max();
        if (transport_.waitForBytes(wanted, deadline, cancel_) == WaitStatus::LineLost)
            return WaitResult::LineLost;
    }
    transport_.read(buffer);
    if (buffer[n - 1] != kCR) return WaitResult::BadEnd;
    flags.error = false;
    return WaitResult::Ok;
}

// Marks what a wait result means for the flags; true when the answer can be used.
bool ClonePort::Observe(WaitResult result) {
    lastWait_ = result;
    if (result == WaitResult::Cancelled) {
        flags.cancel = true;
        cancelSeen_ = true;
    } else if (result == WaitResult::LineLost) {
        lineLost_ = true;
    }
    return result == WaitResult::Ok;
}

template <typename Receive>
void ClonePort::Transaction(CommandCode code, std::uint16_t address,
                            std::span<const std::uint8_t> data, Receive receive) {
    for (int attempt = 0; attempt <= app_.cloneRetryCount; ++attempt) {
        flags.error = true;
        flags.cancel = false;
        FlushInput();
        if (attempt > 0) {
            SendByte(kCAN);
            clock_.pause(timing_.retryPause);
        }
        SendCommand(code, address, data);
        if (lineLost_) {
            NoteFailure(WaitResult::LineLost, code, address);
            return;
        }
        lastWait_ = WaitResult::Ok;
        bool answered = receive();
        // A reply that arrived but failed its checks must not count: the frame
        // wait clears the error flag as soon as the bytes end in CR.
        flags.error = !answered;
        if (answered) {
            failure_ = LinkReason::None;
            failureDetail_.clear();
            return;
        }
        NoteFailure(lineLost_ ? WaitResult::LineLost : lastWait_, code, address);
        if (flags.cancel || lineLost_) return;
    }
}

void ClonePort::NoteFailure(WaitResult result, CommandCode code, std::uint16_t address) {
    const char* what = code == CommandCode::ReadByte    ? "the read of byte"
                       : code == CommandCode::ReadBlock ? "the read of the block at"
                       : code == CommandCode::WriteByte ? "the write of byte"
                                                        : "the write of the block at";
    char where[16];
    std::snprintf(where, sizeof where, "0x%04X", static_cast<unsigned>(address));
    switch (result) {
    case WaitResult::Cancelled:
        failure_ = LinkReason::Cancelled;
        failureDetail_ =
            std::string("cancelled while awaiting the answer to ") + what + ' ' + where;
        break;
    case WaitResult::LineLost:
        failure_ = LinkReason::LineLost;
        failureDetail_ = std::string("the line was lost during ") + what + ' ' + where;
        break;
    case WaitResult::Timeout:
        failure_ = LinkReason::NoAnswer;
        failureDetail_ = std::string("no answer to ") + what + ' ' + where + " within " +
                         std::to_string(timing_.answerLimit.count()) + " ms";
        break;
    case WaitResult::BadEnd:
    case WaitResult::Ok: // an answer that failed its checks
        failure_ = LinkReason::ProtocolError;
        failureDetail_ = std::string("a malformed answer to ") + what + ' ' + where;
        break;
    }
}

bool ClonePort::ReceiveReply(CommandCode type, std::uint16_t address, std::span<std::uint8_t> into,
                             std::size_t count) {
    if (!Observe(WaitForByte(kSOH, timing_.answerLimit))) return false;
    std::array<std::uint8_t, kBlockReplyLength> storage{};
    std::span<std::uint8_t> reply(storage.data(), 2 + 2 * count + 2 + 1);
    if (!Observe(ReceiveFrame(reply, timing_.frameLimit))) return false;
    if (CheckFrame(reply) != static_cast<std::uint8_t>(type)) return false;
    std::optional<Bytes> data = ReplyData(reply);
    if (!data || data->size() != count) return false;
    std::copy(data->begin(), data->end(), into.begin() + address);
    return true;
}

void ClonePort::ReadByte(std::uint16_t address, std::span<std::uint8_t> into) {
    if (address >= into.size()) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    Transaction(CommandCode::ReadByte, address, {},
                [&] { return ReceiveReply(CommandCode::ReadByte, address, into, 1); });
}

void ClonePort::ReadBlock(std::uint16_t address, std::span<std::uint8_t> into) {
    if (address + std::size_t{kBlockSize} > into.size())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    Transaction(CommandCode::ReadBlock, address, {},
                [&] { return ReceiveReply(CommandCode::ReadBlock, address, into, kBlockSize); });
}

void ClonePort::WriteByte(std::uint16_t address, const RadioImage& image) {
    if (address >= image.size()) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    Transaction(CommandCode::WriteByte, address, std::span(&image[address], 1),
                [&] { return Observe(WaitForByte(kACK, timing_.answerLimit)); });
}

void ClonePort::WriteBlock(std::uint16_t address, const RadioImage& image) {
    if (address + std::size_t{kBlockSize} > image.size())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
    Transaction(CommandCode::WriteBlock, address, std::span(image.data() + address, kBlockSize),
                [&] { return Observe(WaitForByte(kACK, timing_.answerLimit)); });
}

void ClonePort::beginRun() {
    lineLost_ = false;
    cancelSeen_ = false;
    failure_ = LinkReason::None;
    failureDetail_.clear();
    writesSent_ = 0;
}

} // namespace qb41::link
