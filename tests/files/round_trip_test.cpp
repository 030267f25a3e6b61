// Write -> read over randomised records: everything the settings data file
// carries comes back exactly, for every model and both decimal separators.
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace qb41 {
namespace {

class Randomiser {
public:
    explicit Randomiser(unsigned seed) : random_(seed) {}

    VbBool flag() { return ToVbBool(pick(0, 1) == 1); }
    std::int16_t any16() { return static_cast<std::int16_t>(pick(-32768, 32767)); }
    std::int16_t positive16() { return static_cast<std::int16_t>(pick(0, 32767)); }
    double frequency() { return pick(0, 1) ? std::round(pick(0, 99999999) / 1e4) / 1e4 + 100 : 0; }
    // Texts as the file keeps them: no trailing blank, and for plain texts no
    // leading blank or "#" either (the reader trims and drops one "#").
    std::string text(int maxLength, bool marked) {
        static const std::string alphabet = "ABCZabz0189 -+().*/,=[]#;\xe9";
        std::string s(static_cast<std::size_t>(pick(0, maxLength)), ' ');
        for (char& c : s) c = alphabet[static_cast<std::size_t>(pick(0, alphabet.size() - 1))];
        while (!s.empty() && s.back() == ' ') s.pop_back();
        if (!marked)
            while (!s.empty() && (s.front() == ' ' || s.front() == '#')) s.erase(0, 1);
        return s;
    }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

private:
    std::mt19937 random_;
};

void RandomiseSettings(Randomiser& r, Records& rec, ModelNumber model) {
    for (UsableGroupRecord& g : rec.UsableGroup) {
        g.Usable = r.flag();
        g.TxTot = r.flag();
        g.StatusIcon = r.flag();
        g.PriorityCh = r.pick(-1, 279);
        if (model != 1) g.StatusName = r.text(4, false);
    }
    CommonSetup& c = rec.Common;
    c = {r.positive16(), r.flag(),       r.any16(),      r.flag(), r.flag(),
         r.any16(),      r.positive16(), r.positive16(), r.flag()};
    for (VbBool& f : rec.DscUsable) f = r.flag();
    for (int i = 0; i < kDscFlags; ++i)
        if (i != 43) rec.DscFlags[i] = r.flag(); // 43 has no key
    rec.UserMmsi = r.text(10, true);
    rec.AtisCode = r.text(10, true);
    if (model == 0)
        for (VbBool& f : rec.AtisKikkerGroup) f = r.flag();
    for (AtisCallSignEntry& e : rec.AtisCallSign) e = {r.text(3, false), r.text(3, false)};
}

void RandomiseChannels(Randomiser& r, Records& rec, ModelNumber model) {
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN}) {
        for (ChannelRecord& ch : rec.bank(bank)) {
            for (VbBool* f :
                 {&ch.Enable, &ch.LowPower, &ch.PowUp, &ch.TxEnable, &ch.DispayA, &ch.ScanMemory})
                *f = r.flag();
            ch.Duplex = static_cast<VbBool>(r.flag() & ch.DuplexAllowed);
            if (model == 1) continue;
            ch.Scramble = r.any16();
            ch.ChTag = r.text(12, true);
        }
    }
    for (ChannelRecord& ch : rec.CHWX) {
        ch.Enable = r.flag();
        ch.ScanMemory = r.flag();
        ch.ChTag = r.text(12, true);
    }
    for (ChannelRecord& ch : rec.CHEXP) {
        for (VbBool* f : {&ch.Enable, &ch.LowPower, &ch.PowUp, &ch.ScanMemory}) *f = r.flag();
        ch.CHDisplayL = r.text(2, false);
        ch.CHDisplayR = r.text(1, false);
        ch.Rxfreq = r.frequency();
        ch.Txfreq = r.frequency();
        ch.Scramble = r.any16();
        ch.ChTag = r.text(12, true);
        ch.Narrow = r.flag();
        if (model != 2) continue;
        ch.DcsCode = {r.any16(), r.any16()};
        ch.CtcssTone = {r.any16(), r.any16()};
        ch.Compander = r.flag();
    }
    for (auto* directory : {&rec.CHMMSID, &rec.CHGRPID})
        for (DirectoryRecord& e : *directory) e = {r.flag(), r.text(11, true), r.text(10, false)};
}

TEST(DataFileRoundTrip, RandomisedRecordsComeBackExactly) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        for (unsigned seed = 1; seed <= 5; ++seed) {
            SCOPED_TRACE(testing::Message() << "model " << model << " seed " << seed);
            DataSet fresh;
            MakeFreshDataSet(fresh, model);
            Records written = fresh.records;
            Randomiser r(seed * 7919 + static_cast<unsigned>(model));
            RandomiseSettings(r, written, model);
            RandomiseChannels(r, written, model);

            const char separator = seed % 2 ? ',' : '.';
            Records read = fresh.records;
            ASSERT_TRUE(ReadDataFileText(FormatDataFile(written, model, separator), read, model));
            EXPECT_EQ(read.UsableGroup, written.UsableGroup);
            EXPECT_EQ(read.Common, written.Common);
            EXPECT_EQ(read.CHUSA, written.CHUSA);
            EXPECT_EQ(read.CHEXP, written.CHEXP);
            EXPECT_EQ(read, written);
        }
    }
}

// A file saved before the EXP tone keys existed loads as it always did: the
// fields it lacks keep the values they had. A model whose image has no tone
// block neither writes nor reads the tone keys.
TEST(DataFileRoundTrip, ExpToneKeysAreOptionalAndOnlyForTheModelThatKeepsThem) {
    for (ModelNumber model = 0; model <= 3; ++model) {
        SCOPED_TRACE(model);
        DataSet data;
        MakeFreshDataSet(data, model);
        ChannelRecord& ch = data.records.CHEXP[5];
        ch.Narrow = kTrue;
        ch.DcsCode = {3, 108};
        ch.CtcssTone = {4, 0};
        ch.Compander = kTrue;
        std::string text = FormatDataFile(data.records, model, '.');
        const bool tones = model == 2;
        EXPECT_EQ(text.find("DcsCode=3,108\r\nCtcssTone=4,0\r\nCompander=1\r\n") !=
                      std::string::npos,
                  tones);

        Records read;
        ASSERT_TRUE(ReadDataFileText(text, read, model));
        EXPECT_EQ(read.CHEXP[5].Narrow, kTrue);
        EXPECT_EQ(read.CHEXP[5].DcsCode, (tones ? ch.DcsCode : std::array<std::int16_t, 2>{}));
        EXPECT_EQ(read.CHEXP[5].Compander, tones ? kTrue : kFalse);

        // Without the new keys the fields stay as they were before the read.
        for (const char* key : {"Narrow=1\r\n", "DcsCode=3,108\r\n", "CtcssTone=4,0\r\n",
                                "Compander=1\r\n"})
            if (std::size_t at = text.find(key); at != std::string::npos)
                text.erase(at, std::string_view(key).size());
        Records before = data.records;
        before.CHEXP[5].DcsCode = {1, 2};
        Records old = before;
        ASSERT_TRUE(ReadDataFileText(text, old, model));
        EXPECT_EQ(old.CHEXP[5], before.CHEXP[5]);
    }
}

TEST(DataFileRoundTrip, PriorityOffIsWrittenAsMinusOneAndReadAsOff) {
    for (std::int32_t off : {-1, -5, 280, 65535}) {
        DataSet data;
        MakeFreshDataSet(data, 0);
        data.records.UsableGroup[1].PriorityCh = off;
        std::string text = FormatDataFile(data.records, 0, '.');
        EXPECT_NE(text.find("Priority CH 1=-1\r\n"), std::string::npos) << off;
        Records read = data.records;
        read.UsableGroup[1].PriorityCh = 32;
        ASSERT_TRUE(ReadDataFileText(text, read, 0));
        EXPECT_EQ(read.UsableGroup[1].PriorityCh, -1) << off;
    }
}

} // namespace
} // namespace qb41
