#include "primitives.h"

#include "core/errors.h"

#include <algorithm>
#include <array>
#include <charconv>

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
    // Bit top-width+1 has weight 1, bit top weight 2^(width-1).
    unsigned mask = (1u << width) - 1u;
    return (static_cast<unsigned>(byte) >> (top - width + 1)) & mask;
}

void SetBits(std::uint8_t& byte, int width, int top, unsigned value) {
    // The low `width` bits of the value, most significant at `top`; only the
    // field's bits change.
    int shift = top - width + 1;
    unsigned mask = ((1u << width) - 1u) << shift;
    byte = static_cast<std::uint8_t>((byte & ~mask) | ((value << shift) & mask));
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

namespace {

constexpr std::array<bool, 256> MakeTextChars() {
    std::array<bool, 256> table{};
    for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = true;
    for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = true;
    for (char c : {'-', '+', '(', ')', '.', '*', '/', ',', ' '})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}

constexpr std::array<bool, 256> kTextChars = MakeTextChars();

// A whole field must lie inside the image.
void CheckRange(int address, int length) {
    CheckIndex(address);
    if (length > 0) CheckIndex(address + length - 1);
}

} // namespace

bool IsTextChar(char c) {
    return kTextChars[static_cast<unsigned char>(c)];
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
    // The text ends at the first byte outside the character set, so only the
    // bytes actually read are checked against the bounds.
    int n = 0;
    while (n < length && IsTextChar(static_cast<char>(ImageByte(image, address + n)))) ++n;
    while (n > 0 && image[static_cast<std::size_t>(address + n - 1)] == ' ') --n;
    const char* first = reinterpret_cast<const char*>(image.data()) + address;
    return std::string(first, static_cast<std::size_t>(n));
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
    CheckRange(address, length);
    std::uint8_t* out = image.data() + address;
    if (!pad) { // the common case: no copy of the text
        std::size_t used = std::min(text.size(), static_cast<std::size_t>(length));
        for (std::size_t i = 0; i < used; ++i)
            out[i] = IsTextChar(text[i]) ? static_cast<std::uint8_t>(text[i]) : 0xFF;
        std::fill(out + used, out + length, std::uint8_t{0xFF});
        return;
    }
    std::string field = FieldText(text, length, pad, false);
    for (std::size_t i = 0; i < static_cast<std::size_t>(length); ++i)
        out[i] = IsTextChar(field[i]) ? static_cast<std::uint8_t>(field[i]) : 0xFF;
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
        scaled = scaled * 100 + high * 10L + low;
    }
    double mhz = static_cast<double>(scaled) / 10000.0 + 100.0;
    if (mhz <= 100.0 || mhz >= 200.0) return 0.0;
    return mhz;
}

void WriteFrequency(RadioImage& image, int address, double mhz) {
    std::uint8_t bytes[3] = {0, 0, 0};
    if (mhz > 100.0) {
        // "00.0000" of MHz - 100, point dropped, as six packed digits.
        // Correctly rounded to four decimals, as "%07.4f" would print it.
        char text[400];
        auto [end, ec] =
            std::to_chars(text, text + sizeof text, mhz - 100.0, std::chars_format::fixed, 4);
        if (ec != std::errc()) throw RuntimeError(ErrorNumber::Overflow);
        std::string digits;
        for (const char* p = text; p != end; ++p)
            if (*p != '.') digits += *p;
        while (digits.size() < 6) digits.insert(digits.begin(), '0');
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

void UpdateText(RadioImage& image, int address, std::string_view text, int length) {
    if (ReadText(image, address, length) != text) WriteText(image, address, text, length, false);
}

void UpdateTextRight(RadioImage& image, int address, std::string_view text, int length) {
    if (ReadTextRight(image, address, length) != text)
        WriteTextRight(image, address, text, length, true);
}

void UpdateDigits(RadioImage& image, int address, std::string_view digits, bool nineDigit) {
    if (ReadDigits(image, address) != digits) WriteDigits(image, address, digits, nineDigit);
}

void UpdateFrequency(RadioImage& image, int address, double mhz) {
    if (ReadFrequency(image, address) != mhz) WriteFrequency(image, address, mhz);
}

} // namespace qb41
