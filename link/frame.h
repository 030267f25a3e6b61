// The clone frames, both directions. Every value inside a frame travels as two
// upper-case hexadecimal characters; a frame runs from SOH to CR and carries an
// inverted 8-bit sum of its characters.
//
//   command (PC -> radio): SOH, code, address high, address low, data..., sum, CR
//   reply   (radio -> PC): SOH, type, data..., sum, CR
//
// The PC side builds commands and checks replies; the radio side (the simulator)
// parses commands and builds replies. Both use this one file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qb41::link {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kSOH = 0x01;
inline constexpr std::uint8_t kCR = 0x0D;
inline constexpr std::uint8_t kACK = 0x06;
inline constexpr std::uint8_t kCAN = 0x18;

enum class CommandCode : std::uint8_t {
    WriteByte = 0x11,
    ReadByte = 0x12,
    WriteBlock = 0x13,
    ReadBlock = 0x14,
};

inline constexpr int kBlockSize = 64;
// Reply lengths after the leading SOH: type, data, sum, CR.
inline constexpr std::size_t kBlockReplyLength = 2 + 2 * kBlockSize + 2 + 1; // 133
inline constexpr std::size_t kByteReplyLength = 2 + 2 + 2 + 1;               // 7

// Two upper-case hexadecimal digits, high digit first: 0x0A -> '0','A'.
std::array<std::uint8_t, 2> HexPair(std::uint8_t value);
// The byte two hexadecimal digits stand for (either letter case); nullopt when
// a character is not a hexadecimal digit.
std::optional<std::uint8_t> HexValue(std::uint8_t high, std::uint8_t low);
// The inverted low 8 bits of the sum of the character codes.
std::uint8_t FrameSum(std::span<const std::uint8_t> characters);

// A command frame: code, big-endian address and data as hex pairs, sum, CR.
Bytes BuildCommand(CommandCode code, std::uint16_t address,
                   std::span<const std::uint8_t> data = {});
Bytes ReadBlockCommand(std::uint16_t address);
Bytes ReadByteCommand(std::uint16_t address);
Bytes WriteByteCommand(std::uint16_t address, std::uint8_t value);
Bytes WriteBlockCommand(std::uint16_t address, std::span<const std::uint8_t, kBlockSize> data);

// The reply type of a received reply (the bytes after SOH, CR position
// included) when its sum characters match and its type is one of the four
// codes; otherwise 0. The CR position itself is not examined here.
std::uint8_t CheckFrame(std::span<const std::uint8_t> reply);
// The data bytes of a reply that passed CheckFrame, or nullopt when a data
// character is not a hexadecimal digit.
std::optional<Bytes> ReplyData(std::span<const std::uint8_t> reply);

// Radio side.
struct Command {
    CommandCode code;
    std::uint16_t address;
    Bytes data;
};
// A whole command frame (SOH to CR) with the right length for its code, valid
// hex characters and a matching sum; nullopt otherwise.
std::optional<Command> ParseCommand(std::span<const std::uint8_t> frame);
// A whole reply frame, SOH to CR.
Bytes BuildReply(std::uint8_t type, std::span<const std::uint8_t> data);

} // namespace qb41::link
