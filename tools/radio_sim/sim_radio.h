// The radio end of the clone link, without any I/O: bytes in, reactions out.
// qb41-radio-sim puts it behind a pseudo-terminal; the link tests also drive
// it in-process through a fake transport.
//
// The radio holds a memory image, answers the four clone commands as the
// radio does (a reply frame to a read, ACK to a write) and ignores everything
// else: bytes outside a frame, frames with a bad sum or length, addresses past
// its memory. CAN drops a frame in progress. Requests are counted from 1 in
// the order complete, valid command frames arrive; a fault names the requests
// it applies to.
#pragma once

#include "link/frame.h"

#include "core/records.h"

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace qb41::sim {

struct SimFaults {
    std::set<int> garbage;     // bytes before the reply's SOH (or before the ACK)
    std::set<int> badChecksum; // reply sum characters wrong; a write gets NAK instead of ACK
    std::set<int> wrongType;   // reply of type 0x13 with a good sum; a write gets NAK
    std::set<int> extraBytes;  // bytes after the reply's CR (or after the ACK)
    std::set<int> noReply;     // silence; the command is not carried out
    int hangUpAfter = 0;       // hang up the line after answering this request (0: never)
    int corruptAt = -1;        // a write to this index stores the byte inverted (-1: none)
};

// The two faults the link's tests set most: silence to some requests, and a
// line that hangs up after one.
inline SimFaults NoReply(std::set<int> requests) {
    SimFaults faults;
    faults.noReply = std::move(requests);
    return faults;
}

inline SimFaults HangUpAfter(int request) {
    SimFaults faults;
    faults.hangUpAfter = request;
    return faults;
}

struct SimStats {
    int requests = 0;
    int readBlocks = 0;
    int readBytes = 0;
    int writeBytes = 0;
    int writeBlocks = 0;
    int cancels = 0;       // CAN bytes received
    int ignoredFrames = 0; // complete frames that were not a valid command
};

struct Reaction {
    link::Bytes reply; // may be empty (no answer)
    bool hangUp = false;
};

class SimRadio {
public:
    // `lastIndex` is 8191 or 16383; memory beyond it does not exist.
    SimRadio(const RadioImage& memory, int lastIndex, SimFaults faults = {});

    // One received byte; a reaction when it completed a command frame.
    std::optional<Reaction> receive(std::uint8_t byte);
    // True while a frame has started and not ended.
    bool inFrame() const { return inFrame_; }

    const RadioImage& memory() const { return memory_; }
    int lastIndex() const { return lastIndex_; }
    // How often each index was written by a write command.
    const std::vector<int>& writeCounts() const { return writeCounts_; }
    const SimStats& stats() const { return stats_; }

private:
    std::optional<Reaction> Execute(const link::Command& command);
    link::Bytes Answer(const link::Command& command, int request);

    RadioImage memory_;
    int lastIndex_;
    SimFaults faults_;
    SimStats stats_;
    std::vector<int> writeCounts_;
    link::Bytes frame_;
    bool inFrame_ = false;
};

// Puts the model code word at 64-65 and at the last two bytes.
void SetModelCode(RadioImage& memory, int lastIndex, std::uint16_t front, std::uint16_t back);

} // namespace qb41::sim
