#include "core/master_table.h"
#include "image/codec.h"
#include "image/defaults.h"
#include "image/layout.h"
#include "image/primitives.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

DataSet Fresh(ModelNumber model) {
    DataSet data;
    MakeFreshDataSet(data, model);
    return data;
}

TEST(OffsetTime, DecodeAndEncodeCodes) {
    struct Decode {
        std::uint8_t byte76;
        int index;
    };
    for (const Decode& c : {Decode{0x30, 12}, Decode{0x55, 17}, Decode{0x00, 12}, Decode{0x1F, 12},
                            Decode{0x0C, 0}, Decode{0x1C, 24}, Decode{0x10, 12}, Decode{0x0F, 0},
                            Decode{0x1D, 24}, Decode{0x03, 9}, Decode{0xFF, 12}}) {
        EXPECT_EQ(DecodeOffsetTime(c.byte76), c.index) << std::hex << int(c.byte76);
    }
    struct Encode {
        int index;
        std::uint8_t code;
    };
    for (const Encode& c : {Encode{0, 0x0C}, Encode{24, 0x1C}, Encode{12, 0x10}, Encode{17, 0x15},
                            Encode{11, 0x01}, Encode{-5, 0x0C}, Encode{99, 0x1C}}) {
        EXPECT_EQ(EncodeOffsetTime(c.index), c.code) << c.index;
    }
}

TEST(SettingsCodec, Byte76KeepsTheRadiosBitsAndRoundTrips) {
    DataSet data = Fresh(0);
    data.image[76] = 0x55;
    DecodeSettings(data, 0);
    EXPECT_EQ(data.records.Common.OffsetTime, 17);
    EXPECT_EQ(data.records.Common.MagneticVariation, 1);
    data.image[76] = 0xA0; // bits 7 and 5 are not the codec's
    EncodeImage(data, 0);
    EXPECT_EQ(data.image[76], 0xF5);
    data.image[76] = 0x30;
    DecodeSettings(data, 0);
    EXPECT_EQ(data.records.Common.OffsetTime, 12);
    EXPECT_EQ(data.records.Common.MagneticVariation, 0);
}

TEST(SettingsCodec, BooleansReachTheImageThroughBoolToBit) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        DataSet data = Fresh(model);
        CommonSetup& c = data.records.Common;
        c.Scan = -1;
        c.PttScanClear = 0;
        c.DualWatch = -1;
        c.Rotary = -1;
        c.ResumeTime = 2;
        c.Weater = 1;
        c.MagneticVariation = -1; // not a Boolean: only exactly 1 sets the bit
        data.image[90] = 0xF2;
        EncodeImage(data, model);
        EXPECT_EQ(data.image[90] & 0x01, model == 0 ? 1 : 0)
            << "Rotary is encoded only where it is decoded";
        EXPECT_EQ(data.image[91] & 0x8E, 0x84);
        EXPECT_EQ(data.image[93] & 0xB0, 0x90);
        EXPECT_EQ(data.image[76] & 0x40, 0);
        DataSet back = data;
        back.records.Common = CommonSetup{};
        DecodeSettings(back, model);
        EXPECT_EQ(back.records.Common.Scan, -1);
        EXPECT_EQ(back.records.Common.ResumeTime, 2);
        EXPECT_EQ(back.records.Common.Weater, 1);
        EXPECT_EQ(back.records.Common.Rotary, model == 0 ? -1 : 0) << "decoded for model 0 only";
    }
}

TEST(SettingsCodec, DscFlagsLandOnTheirBits) {
    DataSet data = Fresh(3);
    data.records.DscFlags.fill(0);
    data.records.DscUsable = {0, -1, 0};
    struct Case {
        int flag;
        int address;
        int bit;
    };
    const Case cases[] = {{0, 164, 2},  {1, 164, 3},  {2, 164, 7},  {3, 164, 5},  {6, 164, 6},
                          {7, 164, 4},  {8, 165, 7},  {15, 165, 0}, {16, 161, 7}, {23, 161, 0},
                          {24, 162, 7}, {31, 162, 0}, {32, 163, 7}, {39, 163, 0}, {40, 166, 7},
                          {41, 166, 6}, {42, 166, 1}, {44, 505, 7}, {47, 505, 4}};
    for (const Case& c : cases) {
        DataSet one = data;
        one.records.DscFlags[static_cast<std::size_t>(c.flag)] = -1;
        EncodeImage(one, 3);
        EXPECT_EQ(GetBit(one.image[static_cast<std::size_t>(c.address)], c.bit), 1)
            << "flag " << c.flag;
        DataSet zero = data;
        EncodeImage(zero, 3);
        EXPECT_EQ(GetBit(zero.image[static_cast<std::size_t>(c.address)], c.bit), 0)
            << "flag " << c.flag;
        one.records.DscFlags.fill(0);
        DecodeSettings(one, 3);
        EXPECT_EQ(one.records.DscFlags[static_cast<std::size_t>(c.flag)], -1) << "flag " << c.flag;
    }
    EncodeImage(data, 3);
    EXPECT_EQ(data.image[160] & 0xE0, 0x40);
}

// Each flag of the layout's map moves exactly its own bit, a bit the codec
// owns; a flag the map leaves out moves none.
TEST(SettingsCodec, EveryMappedFlagMovesOnlyItsOwnBit) {
    for (ModelNumber model : {0, 1, 2, 3}) {
        DataSet base = Fresh(model);
        base.records.DscFlags.fill(0);
        EncodeImage(base, model);
        const layout::ByteMask owned = layout::CodecOwnedBits(model);
        std::array<bool, kDscFlags> mapped{};
        for (const layout::DscFlagBit& f : layout::DscFlagMap()) {
            SCOPED_TRACE(testing::Message() << "model " << model << " flag " << f.flag);
            mapped[static_cast<std::size_t>(f.flag)] = true;
            DataSet one = base;
            one.records.DscFlags[static_cast<std::size_t>(f.flag)] = kTrue;
            EncodeImage(one, model);
            for (int i = 0; i < static_cast<int>(kImageCapacity); ++i) {
                const auto at = static_cast<std::size_t>(i);
                const int expected = i == f.address ? 1 << f.bit : 0;
                ASSERT_EQ(one.image[at] ^ base.image[at], expected) << "byte " << i;
            }
            EXPECT_NE(owned[static_cast<std::size_t>(f.address)] & (1 << f.bit), 0);
        }
        for (std::size_t flag = 0; flag < mapped.size(); ++flag) {
            if (mapped[flag]) continue;
            DataSet one = base;
            one.records.DscFlags[flag] = kTrue;
            EncodeImage(one, model);
            EXPECT_EQ(one.image, base.image) << "flag " << flag;
        }
    }
}

TEST(SettingsCodec, FlagsWithoutAPlaceInTheImageKeepTheirValues) {
    DataSet data = Fresh(0);
    data.records.DscFlags[4] = -1;
    data.records.DscFlags[5] = -1;
    EncodeImage(data, 0);
    DecodeImage(data, 0);
    EXPECT_EQ(data.records.DscFlags[4], -1);
    EXPECT_EQ(data.records.DscFlags[5], -1);
}

TEST(SettingsCodec, MmsiNineDigitRuleButAtisCodeKeepsTen) {
    DataSet data = Fresh(0);
    data.records.UserMmsi = "123456789";
    data.records.AtisCode = "9123456789";
    EncodeImage(data, 0);
    EXPECT_EQ(data.records.UserMmsi, "123456789") << "encode leaves the record alone";
    DecodeSettings(data, 0);
    EXPECT_EQ(data.records.UserMmsi, "1234567890");
    EXPECT_EQ(data.records.AtisCode, "9123456789");
}

TEST(SettingsCodec, CallSignsAndKikkerGroupsForModelZeroOnly) {
    for (ModelNumber model : {0, 3}) {
        DataSet data = Fresh(model);
        data.records.AtisCallSign[0] = {"1", "AB"};
        data.records.AtisCallSign[19] = {"366", "USA"};
        data.records.AtisKikkerGroup = {-1, 0, -1, 0};
        data.image[505] = 0xF5;
        EncodeImage(data, model);
        EXPECT_EQ(data.image[505] & 0x0F, model == 0 ? 0x0A : 0x05)
            << "the Kikker bits belong to the radio on models that do not keep them";
        if (model == 0) {
            EXPECT_EQ(data.image[12544], 0xFF);
            EXPECT_EQ(data.image[12546], '1');
            EXPECT_EQ(data.image[12547], 0xFF);
        } else {
            EXPECT_EQ(data.image[12546], 0xFF) << "no call-sign table outside model 0";
        }
        DataSet back = Fresh(model);
        back.image = data.image;
        DecodeImage(back, model);
        EXPECT_EQ(back.records.AtisCallSign[0].MID, model == 0 ? "1" : "");
        EXPECT_EQ(back.records.AtisCallSign[19].DISP, model == 0 ? "USA" : "");
        EXPECT_EQ(back.records.AtisKikkerGroup[2], model == 0 ? -1 : 0);
    }
}

TEST(ChannelCodec, PlanEntryByte) {
    DataSet data = Fresh(0);
    data.image[768 + 2 * 10] = 0x80; // transmit mode 10
    data.image[768 + 2 * 10 + 1] = 0x5A;
    DecodeImage(data, 0);
    EXPECT_EQ(data.records.CHUSA[10].TxEnable, 0);
    EXPECT_EQ(data.records.CHUSA[10].LowPower, 0);
    ChannelRecord& odd = data.records.CHUSA[33]; // 16A: duplex not allowed
    odd.Duplex = -1;
    odd.PowUp = -1;
    odd.Scramble = 5;
    data.image[768 + 66] |= 0x01;
    EncodeImage(data, 0);
    EXPECT_EQ(data.image[768 + 20] & 0xC0, 0x80) << "mode 10 already reads as transmit off";
    EXPECT_EQ(data.image[768 + 21], 0x5A) << "second byte is the radio's";
    EXPECT_EQ(data.image[768 + 66], 0xDB)
        << "mode 11, duplex clear, power-up, scramble 5, bit 0 the radio's";
    data.records.CHUSA[10].TxEnable = kTrue;
    EncodeImage(data, 0);
    EXPECT_EQ(data.image[768 + 20] & 0xC0, 0xC0) << "an edited transmit mode is written";
    DecodeImage(data, 0);
    EXPECT_EQ(data.records.CHUSA[33].Duplex, 0);
    EXPECT_EQ(data.records.CHUSA[33].Scramble, 5);
}

TEST(ChannelCodec, NamesWrittenWithFillAndCutAtBadCharacters) {
    DataSet data = Fresh(2);
    data.records.CHINT[16].ChTag = "HARBR";
    data.records.CHINT[18].ChTag = "AB#CD";
    EncodeImage(data, 2);
    const int at16 = 5952 + 12 * 16;
    EXPECT_EQ(data.image[at16 + 4], 'R');
    for (int i = 5; i < 12; ++i) EXPECT_EQ(data.image[static_cast<std::size_t>(at16 + i)], 0xFF);
    DecodeImage(data, 2);
    EXPECT_EQ(data.records.CHINT[16].ChTag, "HARBR");
    EXPECT_EQ(data.records.CHINT[18].ChTag, "AB");
}

TEST(ChannelCodec, ModelOneStoresNoNames) {
    DataSet data = Fresh(1);
    data.records.CHUSA[32].ChTag = "NAME";
    EncodeImage(data, 1);
    EXPECT_EQ(data.image[3072 + 12 * 32], 0xFF);
    data.records.CHUSA[32].ChTag = "KEPT";
    DecodeImage(data, 1);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "KEPT");
}

TEST(ChannelCodec, ExpEntryAndToneBlock) {
    DataSet data = Fresh(2);
    ChannelRecord& exp = data.records.CHEXP[3];
    exp.Enable = -1;
    exp.TxEnable = -1;
    exp.LowPower = -1;
    exp.Narrow = -1;
    exp.CHDisplayL = "7";
    exp.CHDisplayR = "B";
    exp.Rxfreq = 156.025;
    exp.Txfreq = 0;
    exp.Compander = -1;
    exp.DcsCode = {110, 200}; // both inverted
    exp.CtcssTone = {50, 33};
    EncodeImage(data, 2);
    const std::size_t at = 2304 + 16 * 3;
    EXPECT_EQ(data.image[at], 0x41);
    EXPECT_EQ(data.image[at + 1], '7');
    EXPECT_EQ(data.image[at + 2], ' ');
    EXPECT_EQ(data.image[at + 3], 'B');
    EXPECT_EQ(data.image[at + 4], 0x56);
    EXPECT_EQ(data.image[at + 7], 0x00);
    EXPECT_EQ(data.image[at + 10], 0x80 | 0x20 | (33 >> 2))
        << "inverted tx, compander mode, rx tone high";
    EXPECT_EQ(data.image[at + 11], ((33 & 3) << 6) | 50);
    EXPECT_EQ(data.image[at + 12], 96);
    EXPECT_EQ(data.image[at + 13], 6);
    DecodeImage(data, 2);
    const ChannelRecord& back = data.records.CHEXP[3];
    EXPECT_EQ(back.Compander, -1);
    EXPECT_EQ(back.DcsCode[1], 96) << "compander mode drops the inversion of the receive code";
    EXPECT_EQ(back.DcsCode[0], 110);
    EXPECT_EQ(back.CtcssTone[0], 50);
    EXPECT_EQ(back.CtcssTone[1], 33);
    EXPECT_EQ(back.CHDisplayL, "7");
    EXPECT_EQ(back.CHDisplayR, "B");
    EXPECT_DOUBLE_EQ(back.Rxfreq, 156.025);
    EXPECT_EQ(back.Txfreq, 0.0);
    EXPECT_EQ(back.Narrow, -1);
}

TEST(ChannelCodec, ToneBlockReadingRules) {
    DataSet data = Fresh(2);
    const std::size_t at = 2304 + 10;
    data.image[at] = 0x3F;     // mode 3 reads as 0, rx tone high bits 15
    data.image[at + 1] = 0xFF; // rx tone 63 -> 0, tx tone 63 -> 0
    data.image[at + 2] = 0xFF; // receive code off
    data.image[at + 3] = 0xFF; // transmit code off
    DecodeImage(data, 2);
    const ChannelRecord& r = data.records.CHEXP[0];
    EXPECT_EQ(r.CtcssTone[0], 0);
    EXPECT_EQ(r.CtcssTone[1], 0);
    EXPECT_EQ(r.DcsCode[0], 0);
    EXPECT_EQ(r.DcsCode[1], 0);
    EXPECT_EQ(r.Compander, 0);
    data.image[at] = 0x10; // mode 1: receive code inverted
    data.image[at + 2] = 5;
    DecodeImage(data, 2);
    EXPECT_EQ(data.records.CHEXP[0].DcsCode[1], 109);
    DecodeImage(data, 3);
    EXPECT_EQ(data.records.CHEXP[0].DcsCode[1], 109) << "other models leave the tones untouched";
}

TEST(ChannelCodec, OtherModelsNeverTouchTheToneBlock) {
    DataSet data = Fresh(0);
    data.image[2304 + 10] = 0x12;
    data.records.CHEXP[0].DcsCode = {5, 5};
    EncodeImage(data, 0);
    EXPECT_EQ(data.image[2304 + 10], 0x12);
}

TEST(ChannelCodec, EmptyGroupsBecomeUnusable) {
    DataSet data = Fresh(3);
    data.records.UsableGroup[3].Usable = -1;
    for (ChannelRecord& r : data.records.CHINT) r.Enable = 0;
    EncodeImage(data, 3);
    EXPECT_EQ(data.records.UsableGroup[1].Usable, 0);
    EXPECT_EQ(data.records.UsableGroup[3].Usable, 0) << "every EXP channel is disabled";
    EXPECT_EQ(data.records.UsableGroup[0].Usable, -1);
    EXPECT_EQ(data.image[93] & 0x0F, 0x0A);
}

TEST(DirectoryCodec, OnlyTheLeadingRunSurvives) {
    DataSet data = Fresh(0);
    data.records.CHMMSID[0] = {-1, "HOME", "123456789"};
    data.records.CHMMSID[1] = {-1, "ELEVENCHARS", "2"};
    data.records.CHMMSID[3] = {-1, "LOST", "444"};
    data.records.CHGRPID[0] = {0, "GRP", "987"}; // disabled but written
    EncodeImage(data, 0);
    EXPECT_EQ(data.image[12800 + 4], 0x90);
    EXPECT_EQ(data.image[12816 + 5 + 10], 'S') << "an 11-character name fills offsets 5-15";
    EXPECT_EQ(data.image[12832], 0xFF);
    DecodeImage(data, 0);
    EXPECT_EQ(data.records.CHMMSID[0].Mmsid, "1234567890");
    EXPECT_EQ(data.records.CHMMSID[0].Enable, -1);
    EXPECT_EQ(data.records.CHMMSID[1].TagName, "ELEVENCHARS");
    for (std::size_t i = 2; i < data.records.CHMMSID.size(); ++i)
        EXPECT_EQ(data.records.CHMMSID[i], DirectoryRecord{}) << i;
    EXPECT_EQ(data.records.CHGRPID[0].Enable, -1);
}

class FreshDataSet : public ::testing::TestWithParam<ModelNumber> {};

TEST_P(FreshDataSet, Facts) {
    ModelNumber model = GetParam();
    DataSet data = Fresh(model);
    const int last = ImageLastIndex(model);
    EXPECT_EQ(data.imageLastIndex, last);
    EXPECT_EQ(GetWord(data.image, 64), ModelCode(model));
    EXPECT_EQ(GetWord(data.image, last - 1), ModelCode(model));
    EXPECT_EQ(data.image[77], model == 0 || model == 3 ? 15 : 0xFF);
    EXPECT_EQ(data.image[95], 0xFF) << "checksum only set when written";
    EXPECT_EQ(std::string(data.image.begin() + 512, data.image.begin() + 517), "Radio");
    EXPECT_EQ(data.image[752], 0x44);
    EXPECT_EQ(data.image[767], 0xC1);
    EXPECT_EQ(data.image[593], 0x93);

    const ChannelRecord& usa30 = data.records.CHUSA[30];
    EXPECT_EQ(usa30.ChTag, "COMMERCIAL");
    EXPECT_EQ(usa30.TxEnable, 0);
    EXPECT_EQ(usa30.RxOnly, -1);
    EXPECT_EQ(usa30.DuplexAllowed, 0);
    EXPECT_EQ(data.image[768 + 60] & 0xC0, 0x00);
    const ChannelRecord& can40 = data.records.CHCAN[40];
    EXPECT_EQ(can40.Duplex, -1);
    EXPECT_EQ(can40.LowPower, -1);
    EXPECT_EQ(data.image[1792 + 80] & 0xE0, 0x60);
    EXPECT_EQ(data.records.CHUSA[32].ChTag, "DISTRESS");
    EXPECT_EQ(data.records.CHINT[12].ChTag, "SAFTY");
    EXPECT_EQ(data.records.CHCAN[12].ChTag, "SAFETY");
    int usa = 0, intl = 0, can = 0;
    for (int i = 0; i < kPlanChannels; ++i) {
        usa += data.records.CHUSA[static_cast<std::size_t>(i)].Enable != 0;
        intl += data.records.CHINT[static_cast<std::size_t>(i)].Enable != 0;
        can += data.records.CHCAN[static_cast<std::size_t>(i)].Enable != 0;
        EXPECT_EQ(data.records.CHUSA[static_cast<std::size_t>(i)].Position, i);
    }
    EXPECT_EQ(usa, 55);
    EXPECT_EQ(intl, 55);
    EXPECT_EQ(can, 56);
    for (std::size_t i = 0; i < data.records.CHWX.size(); ++i)
        EXPECT_EQ(data.records.CHWX[i].Position, static_cast<int>(i) + 1);

    const Records& r = data.records;
    EXPECT_EQ(r.Common.Scan, -1);
    EXPECT_EQ(r.Common.ResumeTime, 3);
    EXPECT_EQ(r.Common.PttScanClear, -1);
    EXPECT_EQ(r.Common.DualWatch, -1);
    EXPECT_EQ(r.Common.Weater, 3);
    EXPECT_EQ(r.Common.OffsetTime, 12);
    EXPECT_EQ(r.Common.Rotary, 0);
    for (int g = 0; g < 3; ++g) {
        EXPECT_EQ(r.UsableGroup[static_cast<std::size_t>(g)].PriorityCh, 32);
        EXPECT_EQ(r.UsableGroup[static_cast<std::size_t>(g)].Usable, -1);
        EXPECT_EQ(r.DscUsable[static_cast<std::size_t>(g)], -1);
    }
    EXPECT_EQ(r.UsableGroup[3].Usable, 0) << "no EXP channel is enabled";
    EXPECT_TRUE(r.UserMmsi.empty());
    EXPECT_EQ(GetWord(data.image, 80), 30);

    PrepareImageForWrite(data, model);
    EXPECT_EQ(data.image[95], Checksum(data.image, 66, 29));
}

INSTANTIATE_TEST_SUITE_P(AllModels, FreshDataSet, ::testing::Values(0, 1, 2, 3));

TEST(Tables, ListsHaveTheirStandardLengthsAndEnds) {
    EXPECT_EQ(CtcssList().front(), "Off");
    EXPECT_EQ(CtcssList()[1], "67.0Hz");
    EXPECT_EQ(CtcssList()[50], "254.1Hz");
    EXPECT_EQ(DcsList()[1], "023");
    EXPECT_EQ(DcsList()[104], "754");
    for (std::size_t i = 2; i < CtcssList().size(); ++i)
        EXPECT_LT(std::stod(std::string(CtcssList()[i - 1])),
                  std::stod(std::string(CtcssList()[i])));
    for (std::size_t i = 2; i < DcsList().size(); ++i) {
        EXPECT_LT(std::stoi(std::string(DcsList()[i - 1]), nullptr, 8),
                  std::stoi(std::string(DcsList()[i]), nullptr, 8));
        for (char c : DcsList()[i]) EXPECT_LT(c, '8');
    }
    EXPECT_EQ(WeatherList()[0].label, "WX01[162.550MHz]");
    EXPECT_EQ(WeatherList()[9].freqText, "163.275MHZ");
    EXPECT_EQ(DefaultPlan(Bank::CHUSA).size(), 55u);
    EXPECT_EQ(DefaultPlan(Bank::CHINT).size(), 55u);
    EXPECT_EQ(DefaultPlan(Bank::CHCAN).size(), 56u);
}

} // namespace
} // namespace qb41
