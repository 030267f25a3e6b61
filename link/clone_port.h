// One exchange with the radio at a time: the port's life, the waits for an
// answer and the four transactions (read block, read byte, write byte, write
// block), each with one retry.
//
// A transaction sets the error flag when it starts and clears it only when a
// correct answer has arrived; the cancel flag says the user cancelled during a
// wait. Bytes that do not belong to the awaited answer are consumed and
// dropped. A wait ends at its deadline, at a cancel request or when the line is
// lost; a lost line also ends the retries, since a resend cannot reach a
// radio that is gone.
#pragma once

#include "frame.h"
#include "outcome.h"
#include "transport.h"

#include "core/app_state.h"
#include "core/clock.h"
#include "core/error_log.h"
#include "core/records.h"

#include <chrono>
#include <functional>
#include <span>
#include <string>

namespace qb41::link {

// Time limits and pauses of the protocol. The defaults are the radio's; tests
// shorten them.
struct LinkTiming {
    std::chrono::milliseconds answerLimit{10000}; // SOH of a reply, ACK of a write
    std::chrono::milliseconds frameLimit{1000};   // the rest of a reply after its SOH
    std::chrono::milliseconds retryPause{50};     // after the CAN that precedes a resend
    std::chrono::milliseconds settlePause{500};   // after a successful read, program or clear
    // An answer awaited this long is reported as "waiting for the radio"
    // through the wait notice (when one is set).
    std::chrono::milliseconds waitNotice{1000};
};

// Results of the two waits, numbered as the radio link always numbered them.
enum class WaitResult : int {
    BadEnd = -1, // a reply of the right length that does not end in CR
    Ok = 0,
    Cancelled = 1,
    Timeout = 3,
    LineLost = 4,
};

class ClonePort {
public:
    // `app` is read for its retry count only.
    ClonePort(Transport& transport, Clock& clock, const AppState& app, const CancelToken& cancel,
              const ErrorLog& log, LinkTiming timing);

    // Opens `device` unless the port is open already. A failure is logged
    // under "frmRadio.PortOpen" and returns false; nothing is shown.
    bool PortOpen(const std::string& device);
    void PortClose();
    void FlushInput();
    void SendCommand(CommandCode code, std::uint16_t address,
                     std::span<const std::uint8_t> data = {});
    void SendByte(std::uint8_t value);

    // Consumes bytes until `expected` arrives.
    WaitResult WaitForByte(std::uint8_t expected, std::chrono::milliseconds limit);
    // Receives exactly buffer.size() bytes (a reply after its SOH). More bytes
    // than that never match and run into the deadline.
    WaitResult ReceiveFrame(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit);

    // Transactions. Reads store the answer at `address` onwards in `into`;
    // writes send `image` at `address` onwards.
    void ReadByte(std::uint16_t address, std::span<std::uint8_t> into);
    void ReadBlock(std::uint16_t address, std::span<std::uint8_t> into);
    void WriteByte(std::uint16_t address, const RadioImage& image);
    void WriteBlock(std::uint16_t address, const RadioImage& image);

    // Called with true when an answer has been awaited for timing().waitNotice
    // and with false when that wait ends; unset, waits are never split.
    void setWaitNotice(std::function<void(bool waiting)> notice) { notice_ = std::move(notice); }

    // Forgets the line loss, cancel, failure and write count of an earlier operation.
    void beginRun();
    // Why the last failed transaction failed (NoAnswer, ProtocolError,
    // LineLost, Cancelled) and in plain words; None after a success.
    LinkReason lastFailure() const { return failure_; }
    const std::string& failureDetail() const { return failureDetail_; }
    // Write commands (byte or block) sent since beginRun().
    int writesSent() const { return writesSent_; }
    bool lineLost() const { return lineLost_; }
    // Why the last PortOpen failed (number and description), empty after a success.
    const std::string& openFailure() const { return openFailure_; }
    // The user's cancel ended a wait since beginRun().
    bool cancelSeen() const { return cancelSeen_; }
    const LinkTiming& timing() const { return timing_; }

    // Set and cleared by each transaction and wait; the run reads and sets
    // them between steps.
    RunFlags flags;

private:
    template <typename Receive>
    void Transaction(CommandCode code, std::uint16_t address, std::span<const std::uint8_t> data,
                     Receive receive);
    bool ReceiveReply(CommandCode type, std::uint16_t address, std::span<std::uint8_t> into,
                      std::size_t count);
    bool Observe(WaitResult result);
    void NoteFailure(WaitResult result, CommandCode code, std::uint16_t address);

    Transport& transport_;
    Clock& clock_;
    const AppState& app_;
    const CancelToken& cancel_;
    const ErrorLog& log_;
    LinkTiming timing_;
    bool lineLost_ = false;
    bool cancelSeen_ = false;
    std::string openFailure_;
    std::function<void(bool)> notice_;
    LinkReason failure_ = LinkReason::None;
    std::string failureDetail_;
    WaitResult lastWait_ = WaitResult::Ok;
    int writesSent_ = 0;
};

} // namespace qb41::link
