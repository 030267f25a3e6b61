// Write -> read over randomised records: everything the settings data file
// carries comes back exactly, for every model and both decimal separators.
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"

#include "test_support.h"

#include "image/value_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace qb41 {
namespace {

class Randomiser {
public:
    explicit Randomiser(unsigned seed) : random_(seed) {}

    VbBool flag() { return ToVbBool(pick(0, 1) == 1); }
    std::int16_t in(NumberField field) {
        const NumberRange range = RangeOf(field);
        return static_cast<std::int16_t>(
            pick(static_cast<int>(range.lowest), static_cast<int>(range.highest)));
    }
    // Any frequency the radio stores exactly, on the raster or not.
    // (Divided once, so the value is the double nearest its decimal form.)
    double frequency() { return pick(0, 1) ? (1000000 + pick(1, 999999)) / 1e4 : 0; }
    // Texts as their value rule allows and the file keeps them: no trailing
    // blank, and for plain texts no leading blank either (the reader trims).
    std::string text(TextField field, bool marked) {
        const TextRule& rule = RuleOf(field);
        std::string s(static_cast<std::size_t>(pick(0, rule.maxLength)), ' ');
        for (char& c : s)
            c = rule.allowed[static_cast<std::size_t>(pick(0, rule.allowed.size() - 1))];
        while (!s.empty() && s.back() == ' ') s.pop_back();
        if (!marked)
            while (!s.empty() && s.front() == ' ') s.erase(0, 1);
        return s;
    }
    std::string digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + pick(0, 9));
        return s;
    }
    // An MMSI in its stored form: empty, or 9 digits and "0".
    std::string mmsi(MmsiForm form) {
        if (pick(0, 3) == 0) return {};
        const std::string lead = form == MmsiForm::Group ? "0" : "";
        return lead + std::to_string(pick(1, 9)) + digits(form == MmsiForm::Group ? 7 : 8) + "0";
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
        g.PriorityCh = r.in(NumberField::PriorityCh);
        if (model == 1) continue;
        g.StatusName = r.text(TextField::StatusName, false);
        if (!g.StatusName.empty()) g.StatusName.insert(0, 4 - g.StatusName.size(), ' ');
    }
    CommonSetup& c = rec.Common;
    c = {r.in(NumberField::TxPoDisplay),
         r.flag(),
         r.in(NumberField::ResumeTime),
         r.flag(),
         r.flag(),
         r.in(NumberField::OffsetTime),
         r.in(NumberField::MagneticVariation),
         r.in(NumberField::Weater),
         r.flag()};
    for (VbBool& f : rec.DscUsable) f = r.flag();
    for (int i = 0; i < kDscFlags; ++i)
        if (i != 43) rec.DscFlags[i] = r.flag(); // 43 has no key
    rec.UserMmsi = r.mmsi(MmsiForm::Individual);
    rec.AtisCode = r.pick(0, 1) ? "9" + r.digits(9) : "";
    if (model == 0)
        for (VbBool& f : rec.AtisKikkerGroup) f = r.flag();
    for (AtisCallSignEntry& e : rec.AtisCallSign)
        e = {r.text(TextField::CallSignMid, false), r.text(TextField::CallSignDisp, false)};
}

void RandomiseChannels(Randomiser& r, Records& rec, ModelNumber model) {
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN}) {
        for (ChannelRecord& ch : rec.bank(bank)) {
            for (VbBool* f :
                 {&ch.Enable, &ch.LowPower, &ch.PowUp, &ch.TxEnable, &ch.DispayA, &ch.ScanMemory})
                *f = r.flag();
            ch.Duplex = static_cast<VbBool>(r.flag() & ch.DuplexAllowed);
            if (model == 1) continue;
            ch.Scramble = r.in(NumberField::Scramble);
            ch.ChTag = r.text(TextField::ChannelName, true);
        }
    }
    for (ChannelRecord& ch : rec.CHWX) {
        ch.Enable = r.flag();
        ch.ScanMemory = r.flag();
        ch.ChTag = r.text(TextField::ChannelName, true);
    }
    for (ChannelRecord& ch : rec.CHEXP) {
        for (VbBool* f : {&ch.Enable, &ch.LowPower, &ch.PowUp, &ch.ScanMemory}) *f = r.flag();
        ch.CHDisplayL = r.pick(0, 1) ? r.text(TextField::DisplayRight, false) + "A" : "";
        ch.CHDisplayR = r.text(TextField::DisplayRight, false);
        ch.Rxfreq = r.frequency();
        ch.Txfreq = r.frequency();
        ch.Scramble = r.in(NumberField::Scramble);
        ch.ChTag = r.text(TextField::ChannelName, true);
        ch.Narrow = r.flag();
        if (model != 2) continue;
        ch.DcsCode = {r.in(NumberField::DcsCode), r.in(NumberField::DcsCode)};
        ch.CtcssTone = {r.in(NumberField::CtcssTone), r.in(NumberField::CtcssTone)};
        ch.Compander = r.flag();
    }
    // Directory entries in use form one leading run.
    for (auto [directory, form] : {std::pair{&rec.CHMMSID, MmsiForm::Individual},
                                   std::pair{&rec.CHGRPID, MmsiForm::Group}}) {
        const int used = r.pick(0, static_cast<int>(directory->size()));
        for (int i = 0; i < used; ++i) {
            std::string number = r.mmsi(form);
            if (number.empty()) number = form == MmsiForm::Group ? "0123456780" : "2123456780";
            (*directory)[static_cast<std::size_t>(i)] = {
                r.flag(), r.text(TextField::DirectoryName, true), number};
        }
    }
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
            for (std::size_t k = 0; k < read.CHEXP.size(); ++k) {
                const ChannelRecord &a = read.CHEXP[k], &b = written.CHEXP[k];
                EXPECT_EQ(a, b) << "CHEXP" << k << " [" << a.CHDisplayL << "|" << b.CHDisplayL
                                << "] [" << a.CHDisplayR << "|" << b.CHDisplayR << "] " << a.Rxfreq
                                << "|" << b.Rxfreq << " " << a.Txfreq << "|" << b.Txfreq << " ["
                                << a.ChTag << "|" << b.ChTag << "]";
            }
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
        for (const char* key :
             {"Narrow=1\r\n", "DcsCode=3,108\r\n", "CtcssTone=4,0\r\n", "Compander=1\r\n"})
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
