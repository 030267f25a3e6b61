// Frame bytes, checks and the pure tables of the link; no port involved.
#include "link/clone_link.h"
#include "link/frame.h"
#include "link/port_name.h"
#include "link/write_plan.h"

#include "image/layout.h"

#include <gtest/gtest.h>

#include <string>

namespace qb41::link {
namespace {

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Bytes Of(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(Frame, HexPairIsUpperCaseWithLeadingZero) {
    EXPECT_EQ(Text(Bytes{HexPair(0x0A)[0], HexPair(0x0A)[1]}), "0A");
    EXPECT_EQ(Text(Bytes{HexPair(0xFF)[0], HexPair(0xFF)[1]}), "FF");
    EXPECT_EQ(Text(Bytes{HexPair(0x00)[0], HexPair(0x00)[1]}), "00");
    for (int v = 0; v < 256; ++v) {
        auto pair = HexPair(static_cast<std::uint8_t>(v));
        EXPECT_EQ(HexValue(pair[0], pair[1]), v);
    }
    EXPECT_EQ(HexValue('a', 'f'), 0xAF);
    EXPECT_EQ(HexValue('G', '0'), std::nullopt);
    EXPECT_EQ(HexValue('0', ' '), std::nullopt);
}

TEST(Frame, CommandBytesForEveryCommandAndAddressForm) {
    // "140040" adds up to 0x129; inverted low byte 0xD6.
    EXPECT_EQ(ReadBlockCommand(0x0040),
              (Bytes{0x01, 0x31, 0x34, 0x30, 0x30, 0x34, 0x30, 0x44, 0x36, 0x0D}));
    struct Case {
        Bytes frame;
        std::string text; // between SOH and CR
    };
    const std::uint8_t block[kBlockSize] = {0x00, 0x0A, 0xFF}; // rest 0
    const Case cases[] = {
        {ReadBlockCommand(0x3600), "143600"},
        {ReadByteCommand(0x0040), "120040"},
        {ReadByteCommand(0x3FFF), "123FFF"},
        {WriteByteCommand(0x01F5, 0x00), "1101F500"},
        {WriteByteCommand(0x0042, 0xAB), "110042AB"},
        {WriteBlockCommand(0x0080, block), "130080000AFF" + std::string(2 * (kBlockSize - 3), '0')},
    };
    for (const Case& c : cases) {
        ASSERT_GE(c.frame.size(), 10u);
        EXPECT_EQ(c.frame.front(), kSOH);
        EXPECT_EQ(c.frame.back(), kCR);
        const std::string body = Text(c.frame).substr(1, c.frame.size() - 4);
        EXPECT_EQ(body, c.text);
        unsigned sum = 0;
        for (char ch : body) sum += static_cast<unsigned char>(ch);
        auto check = HexPair(static_cast<std::uint8_t>(~sum & 0xFF));
        EXPECT_EQ(c.frame[c.frame.size() - 3], check[0]) << body;
        EXPECT_EQ(c.frame[c.frame.size() - 2], check[1]) << body;
    }
    EXPECT_EQ(WriteByteCommand(0, 0).size(), 12u);
    EXPECT_EQ(WriteBlockCommand(0, block).size(), 138u);
}

TEST(Frame, CheckFrameAcceptsOnlyAMatchingSumAndAKnownType) {
    const Bytes reply = BuildReply(0x12, Bytes{0x5A}); // SOH "12" "5A" sum CR
    const Bytes body(reply.begin() + 1, reply.end());
    ASSERT_EQ(body.size(), kByteReplyLength);
    EXPECT_EQ(CheckFrame(body), 0x12);
    EXPECT_EQ(ReplyData(body), Bytes{0x5A});

    Bytes badSum = body;
    badSum[4] ^= 0x01;
    EXPECT_EQ(CheckFrame(badSum), 0);
    Bytes badData = body;
    badData[2] = '6'; // data changed, sum not
    EXPECT_EQ(CheckFrame(badData), 0);
    // The right sum over a type the link does not know.
    const Bytes unknown = BuildReply(0x15, Bytes{0x5A});
    EXPECT_EQ(CheckFrame(Bytes(unknown.begin() + 1, unknown.end())), 0);
    // A write-block type passes the check; the read transaction refuses it.
    const Bytes write = BuildReply(0x13, Bytes{0x5A});
    EXPECT_EQ(CheckFrame(Bytes(write.begin() + 1, write.end())), 0x13);
    // The CR position is not examined by the check.
    Bytes noCr = body;
    noCr.back() = 'X';
    EXPECT_EQ(CheckFrame(noCr), 0x12);
    // A data character that is no hex digit, with a sum made to match.
    Bytes junk = Of("12Z5");
    auto sum = HexPair(FrameSum(junk));
    junk.insert(junk.end(), {sum[0], sum[1], kCR});
    EXPECT_EQ(CheckFrame(junk), 0x12);
    EXPECT_EQ(ReplyData(junk), std::nullopt);
}

TEST(Frame, ParseCommandTakesBackWhatWasBuilt) {
    std::uint8_t block[kBlockSize];
    for (int i = 0; i < kBlockSize; ++i) block[i] = static_cast<std::uint8_t>(i * 5);
    auto parsed = ParseCommand(WriteBlockCommand(0x2A40, block));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->code, CommandCode::WriteBlock);
    EXPECT_EQ(parsed->address, 0x2A40);
    EXPECT_EQ(parsed->data, Bytes(block, block + kBlockSize));

    Bytes corrupt = ReadBlockCommand(0x0040);
    corrupt[4] = '1';
    EXPECT_FALSE(ParseCommand(corrupt));
    Bytes shortened = WriteByteCommand(0x0042, 1);
    shortened.erase(shortened.begin() + 7, shortened.begin() + 9);
    EXPECT_FALSE(ParseCommand(shortened));
}

TEST(WritePlanTable, SixteenKiBAndEightKiBImages) {
    struct Case {
        int lastIndex;
        int blocks;
        int bytes;
        int lastBlock;
    };
    for (Case c : {Case{16383, 209, 110, 13760}, Case{8191, 121, 110, 8128}}) {
        int blocks = 0, bytes = 0, lastBlock = 0;
        for (const WriteStep& step : WritePlan(c.lastIndex)) {
            if (step.action == WriteStep::Action::Block) {
                ++blocks;
                lastBlock = step.blockAddress;
                EXPECT_NE(step.blockAddress, 64);
                EXPECT_FALSE(step.blockAddress >= 192 && step.blockAddress < 256);
                EXPECT_FALSE(step.blockAddress >= 512 && step.blockAddress < 768);
            }
            if (step.action == WriteStep::Action::Bytes) bytes += step.last - step.first + 1;
        }
        EXPECT_EQ(blocks, c.blocks);
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(lastBlock, c.lastBlock);
    }
}

TEST(Progress, RoundsHalfToEvenAndNeverPassesHundred) {
    EXPECT_EQ(ProgressPercent(0, 16383), 0);
    EXPECT_EQ(ProgressPercent(16320, 16383), 100); // 99.6
    EXPECT_EQ(ProgressPercent(8128, 8191), 99);    // 99.2
    EXPECT_EQ(ProgressPercent(64, 16383), 0);      // 0.39
    EXPECT_EQ(ProgressPercent(128, 16383), 1);     // 0.78
    EXPECT_EQ(ProgressPercent(1, 200), 0);         // 0.5 -> 0
    EXPECT_EQ(ProgressPercent(3, 200), 2);         // 1.5 -> 2
    EXPECT_EQ(ProgressPercent(5, 200), 2);         // 2.5 -> 2
    EXPECT_EQ(ProgressPercent(20000, 16383), 100);
}

TEST(ReadImage, CopiesOnlyTheAcceptedRanges) {
    for (int last : {16383, 8191}) {
        RadioImage image;
        image.fill(0xEE);
        std::vector<std::uint8_t> read(static_cast<std::size_t>(last) + 1, 0x11);
        CopyReadImage(image, last, read);
        for (int i = 0; i < 16384; ++i) {
            const bool accepted =
                i <= last && ((i >= 64 && i < 192) || (i >= 256 && i < 13824) || i >= 16382);
            EXPECT_EQ(image[static_cast<std::size_t>(i)], accepted ? 0x11 : 0xEE) << i;
        }
    }
}

// The read and the write plan follow the layout's ranges: a read keeps
// exactly the bytes of kReadKeeps, a quick read fetches every block holding
// one of them, and a program operation sends every byte of the image but the
// skipped areas, each of them a byte a read keeps.
TEST(ReadImage, KeepsExactlyTheLayoutsRanges) {
    for (int last : {16383, 8191}) {
        RadioImage image;
        image.fill(0xEE);
        std::vector<std::uint8_t> read(static_cast<std::size_t>(last) + 1, 0x11);
        CopyReadImage(image, last, read);
        for (int a = 0; a < static_cast<int>(kImageCapacity); a += kBlockSize) {
            bool anyKept = false;
            for (int i = a; i < a + kBlockSize; ++i) {
                const bool kept = layout::InRanges(layout::kReadKeeps, i, last);
                anyKept = anyKept || kept;
                ASSERT_EQ(image[static_cast<std::size_t>(i)], kept ? 0x11 : 0xEE) << i;
            }
            if (a <= last) {
                EXPECT_EQ(ReadKeepsBlock(a, last), anyKept) << a;
            }
        }
    }
}

TEST(WritePlan, SendsAllButTheSkippedAreas) {
    for (int last : {16383, 8191}) {
        std::vector<bool> planned(kImageCapacity, false);
        for (const WriteStep& step : WritePlan(last)) {
            if (step.action == WriteStep::Action::None) continue;
            EXPECT_EQ(step.action == WriteStep::Action::Block,
                      step.first == step.blockAddress && step.last == step.blockAddress + 63);
            for (int i = step.first; i <= step.last; ++i)
                planned[static_cast<std::size_t>(i)] = true;
        }
        for (int i = 0; i < static_cast<int>(kImageCapacity); ++i) {
            const bool sent = i <= last && !layout::InRanges(layout::kWriteSkips, i, last);
            ASSERT_EQ(planned[static_cast<std::size_t>(i)], sent) << i;
            if (sent) {
                ASSERT_TRUE(layout::InRanges(layout::kReadKeeps, i, last)) << i;
            }
        }
        EXPECT_FALSE(planned[layout::kModelIdFront] || planned[layout::kModelIdFront + 1]);
    }
}

TEST(PortName, ComPortsMapAndPathsStay) {
    EXPECT_EQ(ResolvePortName("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortName("/tmp/radio"), "/tmp/radio");
    EXPECT_EQ(ComPortNumber("com3"), 3);
    EXPECT_EQ(ComPortNumber("COM5"), std::nullopt);
    EXPECT_EQ(PortDeviceName(0), std::nullopt);
#ifdef _WIN32
    EXPECT_EQ(ResolvePortName("COM2"), "COM2");
#else
    EXPECT_EQ(ResolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortName("Com4"), "/dev/ttyS3");
#endif
}

} // namespace
} // namespace qb41::link
