// Field primitives over a RadioImage: bits, bit fields, bitmaps, big-endian
// words, text, packed-decimal MMSI digits and packed-decimal frequencies. Their
// bit orders and fill values define the image format; every codec step is
// built from them. Every index is checked against 0..16383 and a bad one
// throws RuntimeError 9 "Subscript out of range".
#pragma once

#include "core/records.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qb41 {

// Bits are numbered 0 (least significant) to 7.
int GetBit(std::uint8_t byte, int n);
// Sets the bit only when value is exactly 1 (a raw Boolean -1 clears it).
void SetBit(std::uint8_t& byte, int value, int n);
// Field of `width` bits whose most significant bit is `top`.
unsigned GetBits(std::uint8_t byte, int width, int top);
void SetBits(std::uint8_t& byte, int width, int top, unsigned value);
// 1 for any non-zero Boolean, else 0.
inline int BoolToBit(int value) {
    return value != 0 ? 1 : 0;
}

// Low 8 bits of the sum of `count` bytes from `start`.
std::uint8_t Checksum(const RadioImage& image, int start, int count);

// Bounds-checked access.
std::uint8_t& ImageByte(RadioImage& image, int index);
std::uint8_t ImageByte(const RadioImage& image, int index);

std::uint16_t GetWord(const RadioImage& image, int address);
// Negative values write 0xFFFF; above 65535 throws RuntimeError 6 "Overflow".
void SetWord(RadioImage& image, int address, std::int64_t value);

// Record k uses bit 7-(k mod 8) of byte address + k div 8; the walk stops
// after byteCount bytes or at the bank's last record.
void GetBitmap(const RadioImage& image, int address, int byteCount,
               std::vector<ChannelRecord>& bank, VbBool ChannelRecord::*field);
void SetBitmap(RadioImage& image, int address, int byteCount,
               const std::vector<ChannelRecord>& bank, VbBool ChannelRecord::*field);

// "0"-"9", "A"-"Z", "a"-"z", "-", "+", "(", ")", ".", "*", "/", ",", " ".
bool IsTextChar(char c);

std::string ReadText(const RadioImage& image, int address, int length);
std::string ReadTextRight(const RadioImage& image, int address, int length);
// The text passed in is never changed; padding is applied to the bytes only.
void WriteText(RadioImage& image, int address, std::string_view text, int length, bool pad);
void WriteTextRight(RadioImage& image, int address, std::string_view text, int length, bool pad);

std::string ReadDigits(const RadioImage& image, int address);
void WriteDigits(RadioImage& image, int address, std::string_view digits, bool nineDigit);

// 3 bytes of packed decimal holding MHz - 100 with four decimals; 0 = none.
double ReadFrequency(const RadioImage& image, int address);
void WriteFrequency(RadioImage& image, int address, double mhz);

// Field writes over an image that may already hold the value in another form
// (a text followed by bytes the radio ignores, a frequency stored as non-
// decimal bytes, ...): the field is written only when it does not already read
// back as the value, so a decode followed by an encode changes no byte.
void UpdateText(RadioImage& image, int address, std::string_view text, int length);
void UpdateTextRight(RadioImage& image, int address, std::string_view text, int length);
void UpdateDigits(RadioImage& image, int address, std::string_view digits, bool nineDigit);
void UpdateFrequency(RadioImage& image, int address, double mhz);

} // namespace qb41
