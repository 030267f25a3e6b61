#include "sim_radio.h"

#include "image/layout.h"
#include "image/primitives.h"

#include <algorithm>

namespace qb41::sim {

using link::Bytes;
using link::CommandCode;

namespace {

constexpr std::uint8_t kNAK = 0x15;
constexpr std::size_t kLongestFrame = 10 + 2 * link::kBlockSize;
const Bytes kGarbage{'Z', 0xFF, '7', link::kCR, 0x80}; // neither SOH nor ACK
const Bytes kExtra{'0', '0', link::kCR};

int DataLength(CommandCode code) {
    return code == CommandCode::ReadBlock || code == CommandCode::WriteBlock ? link::kBlockSize : 1;
}

} // namespace

SimRadio::SimRadio(const RadioImage& memory, int lastIndex, SimFaults faults)
    : memory_(memory), lastIndex_(lastIndex), faults_(std::move(faults)),
      writeCounts_(static_cast<std::size_t>(lastIndex) + 1, 0) {}

std::optional<Reaction> SimRadio::receive(std::uint8_t byte) {
    if (byte == link::kCAN) {
        ++stats_.cancels;
        inFrame_ = false;
        frame_.clear();
        return std::nullopt;
    }
    if (byte == link::kSOH) { // a new frame, whatever came before
        inFrame_ = true;
        frame_.assign(1, byte);
        return std::nullopt;
    }
    if (!inFrame_) return std::nullopt;
    frame_.push_back(byte);
    if (byte != link::kCR && frame_.size() <= kLongestFrame) return std::nullopt;
    inFrame_ = false;
    std::optional<link::Command> command = link::ParseCommand(frame_);
    frame_.clear();
    if (!command) {
        ++stats_.ignoredFrames;
        return std::nullopt;
    }
    return Execute(*command);
}

std::optional<Reaction> SimRadio::Execute(const link::Command& command) {
    const int request = ++stats_.requests;
    Reaction reaction;
    reaction.hangUp = faults_.hangUpAfter == request;
    const int end = command.address + DataLength(command.code) - 1;
    if (faults_.noReply.contains(request) || end > lastIndex_) return reaction;
    reaction.reply = Answer(command, request);
    return reaction;
}

Bytes SimRadio::Answer(const link::Command& command, int request) {
    const bool isRead =
        command.code == CommandCode::ReadBlock || command.code == CommandCode::ReadByte;
    const auto first = memory_.begin() + command.address;
    Bytes reply;
    if (isRead) {
        Bytes data(first, first + DataLength(command.code));
        command.code == CommandCode::ReadBlock ? ++stats_.readBlocks : ++stats_.readBytes;
        auto type = static_cast<std::uint8_t>(command.code);
        if (faults_.wrongType.contains(request))
            type = static_cast<std::uint8_t>(CommandCode::WriteBlock);
        reply = link::BuildReply(type, data);
        if (faults_.badChecksum.contains(request)) reply[reply.size() - 2] ^= 0x01;
    } else {
        std::copy(command.data.begin(), command.data.end(), first);
        const int corrupt = faults_.corruptAt - command.address;
        if (corrupt >= 0 && corrupt < static_cast<int>(command.data.size()))
            first[corrupt] = static_cast<std::uint8_t>(~first[corrupt]);
        for (std::size_t i = 0; i < command.data.size(); ++i) ++writeCounts_[command.address + i];
        command.code == CommandCode::WriteBlock ? ++stats_.writeBlocks : ++stats_.writeBytes;
        const bool refuse =
            faults_.badChecksum.contains(request) || faults_.wrongType.contains(request);
        reply.push_back(refuse ? kNAK : link::kACK);
    }
    if (faults_.garbage.contains(request))
        reply.insert(reply.begin(), kGarbage.begin(), kGarbage.end());
    if (faults_.extraBytes.contains(request))
        reply.insert(reply.end(), kExtra.begin(), kExtra.end());
    return reply;
}

void SetModelCode(RadioImage& memory, int lastIndex, std::uint16_t front, std::uint16_t back) {
    SetWord(memory, layout::kModelIdFront, front);
    SetWord(memory, layout::ModelIdBack(lastIndex), back);
}

} // namespace qb41::sim
