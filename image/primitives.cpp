#include "primitives.h"

#include "core/errors.h"

#include <cmath>
#include <cstdio>

namespace qb41 {
namespace {

void CheckIndex(int index) {
    if (index < 0 || index > kMaxImageIndex) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
}

} // namespace

int GetBit(std::uint8_t byte, int n) {
    return (byte >> n) & 1;
}

void SetBit(std::uint8_t& byte, int value, int n) {
    if (value == 1)
        byte = static_cast<std::uint8_t>(byte | (1u << n));
    else
        byte = static_cast<std::uint8_t>(byte & ~(1u << n));
}

unsigned GetBits(std::uint8_t byte, int width, int top) {
    unsigned value = 0;
    unsigned weight = 1;
    for (int i = width; i >= 1; --i) {
        if (GetBit(byte, top + 1 - i)) value += weight;
        weight *= 2;
    }
    return value;
}

void SetBits(std::uint8_t& byte, int width, int top, unsigned value) {
    // Digit i of the value's low `width` bits, most significant first, goes
    // to bit top + 1 - i.
    for (int i = 1; i <= width; ++i) {
        int digit = static_cast<int>((value >> (width - i)) & 1u);
        SetBit(byte, digit, top + 1 - i);
    }
}

std::uint8_t Checksum(const RadioImage& image, int start, int count) {
    unsigned sum = 0;
    for (int i = 0; i < count; ++i) sum += ImageByte(image, start + i);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint8_t& ImageByte(RadioImage& image, int index) {
    CheckIndex(index);
    return image[static_cast<std::size_t>(index)];
}

std::uint8_t ImageByte(const RadioImage& image, int index) {
    CheckIndex(index);
    return image[static_cast<std::size_t>(index)];
}

std::uint16_t GetWord(const RadioImage& image, int address) {
    return static_cast<std::uint16_t>(ImageByte(image, address) * 256 +
                                      ImageByte(image, address + 1));
}

void SetWord(RadioImage& image, int address, std::int64_t value) {
    if (value > 65535) throw RuntimeError(ErrorNumber::Overflow);
    std::uint8_t& high = ImageByte(image, address);
    std::uint8_t& low = ImageByte(image, address + 1);
    if (value < 0) {
        high = 0xFF;
        low = 0xFF;
    } else {
        high = static_cast<std::uint8_t>(value / 256);
        low = static_cast<std::uint8_t>(value % 256);
    }
}

void GetBitmap(const RadioImage& image, int address, int byteCount,
               std::vector<ChannelRecord>& bank, VbBool ChannelRecord::*field) {
    int records = static_cast<int>(bank.size());
    for (int k = 0; k < records && k / 8 < byteCount; ++k) {
        std::uint8_t byte = ImageByte(image, address + k / 8);
        bank[static_cast<std::size_t>(k)].*field = ToVbBool(GetBit(byte, 7 - k % 8) == 1);
    }
}

void SetBitmap(RadioImage& image, int address, int byteCount,
               const std::vector<ChannelRecord>& bank, VbBool ChannelRecord::*field) {
    int records = static_cast<int>(bank.size());
    for (int k = 0; k < records && k / 8 < byteCount; ++k) {
        std::uint8_t& byte = ImageByte(image, address + k / 8);
        SetBit(byte, BoolToBit(bank[static_cast<std::size_t>(k)].*field), 7 - k % 8);
    }
}

bool IsTextChar(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
    case '-':
    case '+':
    case '(':
    case ')':
    case '.':
    case '*':
    case '/':
    case ',':
    case ' ':
        return true;
    default:
        return false;
    }
}

namespace {

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// The bytes of a text field: the text, or with `pad` its first `length`
// characters after appending (left: behind, right: in front) `length` spaces.
std::string FieldText(std::string_view text, int length, bool pad, bool right) {
    if (!pad) return std::string(text);
    std::string spaces(static_cast<std::size_t>(length), ' ');
    if (right) {
        std::string padded = spaces + std::string(text);
        return padded.substr(padded.size() - static_cast<std::size_t>(length));
    }
    return (std::string(text) + spaces).substr(0, static_cast<std::size_t>(length));
}

} // namespace

std::string ReadText(const RadioImage& image, int address, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        char c = static_cast<char>(ImageByte(image, address + i));
        if (!IsTextChar(c)) break;
        text += c;
    }
    return TrimRight(std::move(text));
}

std::string ReadTextRight(const RadioImage& image, int address, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        char c = static_cast<char>(ImageByte(image, address + i));
        if (IsTextChar(c)) text += c;
    }
    return TrimRight(std::move(text));
}

void WriteText(RadioImage& image, int address, std::string_view text, int length, bool pad) {
    std::string field = FieldText(text, length, pad, false);
    for (int i = 0; i < length; ++i) {
        std::size_t at = static_cast<std::size_t>(i);
        bool present = at < field.size() && IsTextChar(field[at]);
        ImageByte(image, address + i) = present ? static_cast<std::uint8_t>(field[at]) : 0xFF;
    }
}

void WriteTextRight(RadioImage& image, int address, std::string_view text, int length, bool pad) {
    std::string field = FieldText(text, length, pad, true);
    for (int i = 0; i < length; ++i) {
        std::size_t at = static_cast<std::size_t>(i);
        bool present =
            at < field.size() && IsTextChar(field[at]) && field[at] != ' ' && field[at] != ',';
        ImageByte(image, address + i) = present ? static_cast<std::uint8_t>(field[at]) : 0xFF;
    }
}

std::string ReadDigits(const RadioImage& image, int address) {
    std::string digits;
    for (int i = 0; i < 5; ++i) {
        std::uint8_t byte = ImageByte(image, address + i);
        int high = byte >> 4;
        if (high > 9) break;
        digits += static_cast<char>('0' + high);
        int low = byte & 0x0F;
        if (low > 9) break;
        digits += static_cast<char>('0' + low);
    }
    return digits;
}

void WriteDigits(RadioImage& image, int address, std::string_view digits, bool nineDigit) {
    bool blank = digits.find_first_not_of(' ') == std::string_view::npos;
    if (blank) {
        for (int i = 0; i < 5; ++i) ImageByte(image, address + i) = 0xFF;
        return;
    }
    std::string padded = std::string(digits) + std::string(10, ' ');
    auto nibble = [&](int i) -> unsigned {
        char c = padded[static_cast<std::size_t>(i)];
        return c >= '0' && c <= '9' ? static_cast<unsigned>(c - '0') : 0xFu;
    };
    for (int i = 0; i < 5; ++i) {
        unsigned low = nibble(2 * i + 1);
        if (i == 4 && nineDigit) low = 0;
        ImageByte(image, address + i) = static_cast<std::uint8_t>((nibble(2 * i) << 4) | low);
    }
}

double ReadFrequency(const RadioImage& image, int address) {
    // The three bytes are read as the decimal text "AB.CDEF"; a nibble above 9
    // makes the text non-numeric, which means no frequency.
    ImageByte(image, address + 2); // the whole field must lie in the image
    long scaled = 0;               // in units of 100 Hz
    for (int i = 0; i < 3; ++i) {
        std::uint8_t byte = ImageByte(image, address + i);
        int high = byte >> 4;
        int low = byte & 0x0F;
        if (high > 9 || low > 9) return 0.0;
        scaled = scaled * 100 + high * 10 + low;
    }
    double mhz = static_cast<double>(scaled) / 10000.0 + 100.0;
    if (mhz <= 100.0 || mhz >= 200.0) return 0.0;
    return mhz;
}

void WriteFrequency(RadioImage& image, int address, double mhz) {
    std::uint8_t bytes[3] = {0, 0, 0};
    if (mhz > 100.0) {
        // "00.0000" of MHz - 100, point dropped, as six packed digits.
        char text[32];
        std::snprintf(text, sizeof text, "%07.4f", mhz - 100.0);
        std::string digits;
        for (const char* p = text; *p; ++p)
            if (*p != '.') digits += *p;
        // 200 MHz and above no longer fits: the field takes the first six
        // digits, as it always has (the editor never lets such a value in).
        digits.resize(6, '0');
        for (int i = 0; i < 3; ++i) {
            auto d = [&](int at) {
                char c = digits[static_cast<std::size_t>(at)];
                return c >= '0' && c <= '9' ? static_cast<unsigned>(c - '0') : 0u;
            };
            bytes[i] = static_cast<std::uint8_t>((d(2 * i) << 4) | d(2 * i + 1));
        }
    }
    for (int i = 0; i < 3; ++i) ImageByte(image, address + i) = bytes[i];
}

} // namespace qb41
