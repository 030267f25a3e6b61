#include "core/errors.h"
#include "image/primitives.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb41 {
namespace {

RadioImage Blank() {
    RadioImage image;
    image.fill(0xFF);
    return image;
}

void Put(RadioImage& image, int at, std::vector<std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        image[static_cast<std::size_t>(at) + i] = bytes[i];
}

std::vector<std::uint8_t> Bytes(const RadioImage& image, int at, int n) {
    return {image.begin() + at, image.begin() + at + n};
}

TEST(Bits, SetBitTakesOnlyExactlyOne) {
    std::uint8_t byte = 0;
    SetBit(byte, 1, 3);
    EXPECT_EQ(byte, 0x08);
    SetBit(byte, -1, 3); // a raw Boolean true clears: callers convert first
    EXPECT_EQ(byte, 0x00);
    SetBit(byte, BoolToBit(-1), 7);
    EXPECT_EQ(byte, 0x80);
    SetBit(byte, 2, 7);
    EXPECT_EQ(byte, 0x00);
}

TEST(Bits, FieldsPutTheirTopBitAtTop) {
    EXPECT_EQ(GetBits(0b0000'0110, 2, 2), 3u);
    EXPECT_EQ(GetBits(0b1100'0000, 2, 7), 3u);
    EXPECT_EQ(GetBits(0b0100'0000, 2, 7), 1u);
    EXPECT_EQ(GetBits(0b0000'1110, 3, 3), 7u);
    std::uint8_t byte = 0b0010'0000;
    SetBits(byte, 2, 5, 1);
    EXPECT_EQ(byte, 0b0001'0000) << "sets bit 4 and clears bit 5";
    byte = 0xFF;
    SetBits(byte, 5, 4, 0x0C);
    EXPECT_EQ(byte, 0xEC) << "only the field's bits change";
    byte = 0;
    SetBits(byte, 3, 3, 9); // low three bits of 9
    EXPECT_EQ(byte, 0x02);
}

TEST(Words, BigEndianWithNegativeAsNoneAndOverflowAbove65535) {
    RadioImage image = Blank();
    SetWord(image, 80, 30);
    EXPECT_EQ(Bytes(image, 80, 2), (std::vector<std::uint8_t>{0x00, 0x1E}));
    EXPECT_EQ(GetWord(image, 80), 30);
    SetWord(image, 80, -1);
    EXPECT_EQ(GetWord(image, 80), 0xFFFF);
    SetWord(image, 80, 65535);
    EXPECT_EQ(GetWord(image, 80), 65535);
    try {
        SetWord(image, 80, 65536);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Overflow);
    }
}

TEST(Bounds, EveryIndexOutsideTheImageRaisesSubscriptOutOfRange) {
    RadioImage image = Blank();
    auto expect9 = [](auto&& action, int line = __builtin_LINE()) {
        try {
            action();
            ADD_FAILURE() << "no bounds error for the call on line " << line;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), ErrorNumber::SubscriptOutOfRange);
        }
    };
    expect9([&] { GetWord(image, 16383); });
    expect9([&] { SetWord(image, -1, 0); });
    Put(image, 16380, {'A', 'B', 'C', 'D'});
    expect9([&] { ReadText(image, 16380, 12); });
    expect9([&] { WriteDigits(image, 16382, "123", true); });
    expect9([&] { ReadFrequency(image, 16382); });
    EXPECT_NO_THROW(ReadText(image, 16372, 12));
}

TEST(Text, ReadStopsAtTheFirstByteOutsideTheCharacterSet) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* text;
    };
    const Case cases[] = {
        {{'C', 'H', ' ', '1', '6', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "CH 16"},
        {{'A', 'B', ' ', ' ', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "AB"},
        {{' ', 'A', 0x00, 'B', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, " A"},
        {{'a', '-', '+', '(', ')', '.', '*', '/', ',', 'z', '9', 'Z'}, "a-+().*/,z9Z"},
        {{'#', 'A', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ""},
    };
    for (const Case& c : cases) {
        RadioImage image = Blank();
        Put(image, 100, c.bytes);
        EXPECT_EQ(ReadText(image, 100, 12), c.text);
    }
}

TEST(Text, WriteFillsWithFFAndPadsOnlyTheBytes) {
    RadioImage image = Blank();
    std::string name = "CH 16";
    WriteText(image, 100, name, 12, false);
    EXPECT_EQ(Bytes(image, 100, 12), (std::vector<std::uint8_t>{'C', 'H', ' ', '1', '6', 0xFF, 0xFF,
                                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    WriteText(image, 100, "AB", 4, true);
    EXPECT_EQ(Bytes(image, 100, 4), (std::vector<std::uint8_t>{'A', 'B', ' ', ' '}));
    WriteText(image, 100, "A#B", 3, false);
    EXPECT_EQ(Bytes(image, 100, 3), (std::vector<std::uint8_t>{'A', 0xFF, 'B'}));
    WriteText(image, 100, "TOOLONGTEXT", 4, false);
    EXPECT_EQ(Bytes(image, 100, 5), (std::vector<std::uint8_t>{'T', 'O', 'O', 'L', '6'}))
        << "the field ends after its length";
}

TEST(Text, RightAlignedFieldsSkipFillAndBlanks) {
    RadioImage image = Blank();
    WriteTextRight(image, 200, "1", 3, true);
    EXPECT_EQ(Bytes(image, 200, 3), (std::vector<std::uint8_t>{0xFF, 0xFF, 0x31}));
    EXPECT_EQ(ReadTextRight(image, 200, 3), "1");
    WriteTextRight(image, 200, "A,B", 3, true);
    EXPECT_EQ(Bytes(image, 200, 3), (std::vector<std::uint8_t>{'A', 0xFF, 'B'}));
    EXPECT_EQ(ReadTextRight(image, 200, 3), "AB");
    WriteTextRight(image, 200, "ABCD", 3, true);
    EXPECT_EQ(ReadTextRight(image, 200, 3), "BCD");
}

TEST(Digits, PackedDecimalWithTheNineDigitRule) {
    RadioImage image = Blank();
    Put(image, 496, {0x12, 0x34, 0x56, 0x78, 0x9F});
    EXPECT_EQ(ReadDigits(image, 496), "123456789");
    Put(image, 496, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(ReadDigits(image, 496), "");
    Put(image, 496, {0x1F, 0x34, 0x56, 0x78, 0x90});
    EXPECT_EQ(ReadDigits(image, 496), "1");

    std::string mmsi = "123456789";
    WriteDigits(image, 496, mmsi, true);
    EXPECT_EQ(Bytes(image, 496, 5), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x90}));
    EXPECT_EQ(ReadDigits(image, 496), "1234567890");
    EXPECT_EQ(mmsi, "123456789") << "the record's text is never padded";
    WriteDigits(image, 496, mmsi, false);
    EXPECT_EQ(Bytes(image, 496, 5), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x9F}));
    WriteDigits(image, 496, "   ", true);
    EXPECT_EQ(Bytes(image, 496, 5), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    WriteDigits(image, 496, "12A4", false);
    EXPECT_EQ(Bytes(image, 496, 5), (std::vector<std::uint8_t>{0x12, 0xF4, 0xFF, 0xFF, 0xFF}));
    WriteDigits(image, 496, "123456789012", false);
    EXPECT_EQ(Bytes(image, 496, 5), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x90}));
}

TEST(Frequency, PackedDecimalAboveOneHundredMegahertz) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        double mhz;
    };
    const Case reads[] = {
        {{0x56, 0x02, 0x50}, 156.025},  {{0xFF, 0xFF, 0xFF}, 0.0}, {{0x99, 0x99, 0x99}, 199.9999},
        {{0x00, 0x00, 0x00}, 0.0},      {{0x5A, 0x00, 0x00}, 0.0}, {{0x56, 0x0E, 0x10}, 0.0},
        {{0x00, 0x00, 0x01}, 100.0001},
    };
    for (const Case& c : reads) {
        RadioImage image = Blank();
        Put(image, 2308, c.bytes);
        EXPECT_DOUBLE_EQ(ReadFrequency(image, 2308), c.mhz);
    }
    const Case writes[] = {
        {{0x56, 0x02, 0x50}, 156.025}, {{0x00, 0x00, 0x00}, 0.0},      {{0x00, 0x00, 0x00}, 99.5},
        {{0x61, 0x55, 0x00}, 161.55},  {{0x99, 0x99, 0x99}, 199.9999},
    };
    for (const Case& c : writes) {
        RadioImage image = Blank();
        WriteFrequency(image, 2308, c.mhz);
        EXPECT_EQ(Bytes(image, 2308, 3), c.bytes) << c.mhz;
    }
}

TEST(Checksum, LowByteOfTheSum) {
    RadioImage image = Blank();
    EXPECT_EQ(Checksum(image, 66, 29), static_cast<std::uint8_t>((29 * 0xFF) & 0xFF));
    Put(image, 66, {1, 2, 3});
    EXPECT_EQ(Checksum(image, 66, 3), 6);
}

} // namespace
} // namespace qb41
