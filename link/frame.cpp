#include "frame.h"

namespace qb41::link {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::optional<std::uint8_t> Digit(std::uint8_t c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

void AppendPair(Bytes& frame, std::uint8_t value) {
    auto pair = HexPair(value);
    frame.insert(frame.end(), pair.begin(), pair.end());
}

// Appends the sum of everything after the leading SOH, then CR.
void Close(Bytes& frame) {
    AppendPair(frame, FrameSum(std::span(frame).subspan(1)));
    frame.push_back(kCR);
}

bool IsCode(std::uint8_t value) {
    return value == static_cast<std::uint8_t>(CommandCode::WriteByte) ||
           value == static_cast<std::uint8_t>(CommandCode::ReadByte) ||
           value == static_cast<std::uint8_t>(CommandCode::WriteBlock) ||
           value == static_cast<std::uint8_t>(CommandCode::ReadBlock);
}

std::size_t DataLength(CommandCode code) {
    switch (code) {
    case CommandCode::WriteByte:
        return 1;
    case CommandCode::WriteBlock:
        return kBlockSize;
    case CommandCode::ReadByte:
    case CommandCode::ReadBlock:
        break;
    }
    return 0;
}

// Decodes `count` hex pairs starting at `from`; nullopt on a bad character.
std::optional<Bytes> DecodePairs(std::span<const std::uint8_t> text, std::size_t from,
                                 std::size_t count) {
    Bytes values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto value = HexValue(text[from + 2 * i], text[from + 2 * i + 1]);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

} // namespace

std::array<std::uint8_t, 2> HexPair(std::uint8_t value) {
    return {static_cast<std::uint8_t>(kDigits[value >> 4]),
            static_cast<std::uint8_t>(kDigits[value & 0x0F])};
}

std::optional<std::uint8_t> HexValue(std::uint8_t high, std::uint8_t low) {
    auto h = Digit(high);
    auto l = Digit(low);
    if (!h || !l) return std::nullopt;
    return static_cast<std::uint8_t>(*h << 4 | *l);
}

std::uint8_t FrameSum(std::span<const std::uint8_t> characters) {
    unsigned sum = 0;
    for (std::uint8_t c : characters) sum += c;
    return static_cast<std::uint8_t>(~sum & 0xFF);
}

Bytes BuildCommand(CommandCode code, std::uint16_t address, std::span<const std::uint8_t> data) {
    Bytes frame;
    frame.reserve(10 + 2 * data.size());
    frame.push_back(kSOH);
    AppendPair(frame, static_cast<std::uint8_t>(code));
    AppendPair(frame, static_cast<std::uint8_t>(address >> 8));
    AppendPair(frame, static_cast<std::uint8_t>(address & 0xFF));
    for (std::uint8_t value : data) AppendPair(frame, value);
    Close(frame);
    return frame;
}

Bytes ReadBlockCommand(std::uint16_t address) {
    return BuildCommand(CommandCode::ReadBlock, address);
}

Bytes ReadByteCommand(std::uint16_t address) {
    return BuildCommand(CommandCode::ReadByte, address);
}

Bytes WriteByteCommand(std::uint16_t address, std::uint8_t value) {
    const std::uint8_t data[1] = {value};
    return BuildCommand(CommandCode::WriteByte, address, data);
}

Bytes WriteBlockCommand(std::uint16_t address, std::span<const std::uint8_t, kBlockSize> data) {
    return BuildCommand(CommandCode::WriteBlock, address, data);
}

std::uint8_t CheckFrame(std::span<const std::uint8_t> reply) {
    const std::size_t n = reply.size();
    if (n < 5) return 0; // type, sum and CR at the least
    auto sum = HexPair(FrameSum(reply.first(n - 3)));
    if (sum[0] != reply[n - 3] || sum[1] != reply[n - 2]) return 0;
    auto type = HexValue(reply[0], reply[1]);
    return type && IsCode(*type) ? *type : 0;
}

std::optional<Bytes> ReplyData(std::span<const std::uint8_t> reply) {
    if (reply.size() < 5 || (reply.size() - 5) % 2 != 0) return std::nullopt;
    return DecodePairs(reply, 2, (reply.size() - 5) / 2);
}

std::optional<Command> ParseCommand(std::span<const std::uint8_t> frame) {
    // SOH, code, address (2 pairs), data, sum, CR
    if (frame.size() < 10 || frame.front() != kSOH || frame.back() != kCR) return std::nullopt;
    auto code = HexValue(frame[1], frame[2]);
    if (!code || !IsCode(*code)) return std::nullopt;
    Command command{static_cast<CommandCode>(*code), 0, {}};
    const std::size_t dataLength = DataLength(command.code);
    if (frame.size() != 10 + 2 * dataLength) return std::nullopt;
    auto sum = HexPair(FrameSum(frame.subspan(1, frame.size() - 4)));
    if (sum[0] != frame[frame.size() - 3] || sum[1] != frame[frame.size() - 2]) return std::nullopt;
    auto fields = DecodePairs(frame, 3, 2 + dataLength);
    if (!fields) return std::nullopt;
    command.address = static_cast<std::uint16_t>((*fields)[0] << 8 | (*fields)[1]);
    command.data.assign(fields->begin() + 2, fields->end());
    return command;
}

Bytes BuildReply(std::uint8_t type, std::span<const std::uint8_t> data) {
    Bytes frame;
    frame.reserve(6 + 2 * data.size());
    frame.push_back(kSOH);
    AppendPair(frame, type);
    for (std::uint8_t value : data) AppendPair(frame, value);
    Close(frame);
    return frame;
}

} // namespace qb41::link
