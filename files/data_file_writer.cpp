#include "data_file_writer.h"

#include "core/errors.h"
#include "core/platform.h"
#include "data_file_keys.h"
#include "file_io.h"
#include "report/formatters.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <optional>

namespace qb41 {
namespace {

using namespace datafile;

// Hands the lines of the file to the sink. Each method gives one line or,
// when the value cannot be written, none.
class DataFileText {
public:
    DataFileText(char decimalSeparator, DataFileLines& sink)
        : separator_(decimalSeparator), sink_(sink) {}

    void section(std::string_view name) {
        if (!HasLineBreak(name)) sink_.section(name);
    }
    void section(std::string_view bank, int index) {
        char name[32];
        const std::size_t length = std::min(bank.size(), sizeof name - 16);
        std::copy_n(bank.data(), length, name);
        auto [end, error] = std::to_chars(name + length, name + sizeof name, index);
        (void)error; // 16 characters hold every 32-bit value
        section(std::string_view(name, static_cast<std::size_t>(end - name)));
    }
    // Flags and numbers are written as absolute values: a stored -1 is "1".
    void flag(std::string_view key, std::int16_t value) { number(key, value); }
    void number(std::string_view key, std::int16_t value) {
        if (value == std::numeric_limits<std::int16_t>::min()) return; // no 16-bit absolute value
        raw(key, std::abs(value));
    }
    void raw(std::string_view key, std::int32_t value) {
        char number[16];
        auto [end, error] = std::to_chars(number, number + sizeof number, value);
        (void)error;
        line(key, std::string_view(number, static_cast<std::size_t>(end - number)), false);
    }
    void real(std::string_view key, double value) {
        if (std::optional<std::string> text = FormatReal(value, separator_))
            line(key, *text, false);
    }
    void marked(std::string_view key, std::string_view text) { line(key, text, true); }
    void plain(std::string_view key, std::string_view text) { line(key, text, false); }

private:
    static bool HasLineBreak(std::string_view part) {
        for (char c : part)
            if (c == '\r' || c == '\n') return true;
        return false;
    }
    // A line break inside a value would split the line and shift every key
    // after it into the wrong place: such a line is left out.
    void line(std::string_view key, std::string_view value, bool marked) {
        if (!HasLineBreak(key) && !HasLineBreak(value)) sink_.value(key, value, marked);
    }

    char separator_;
    DataFileLines& sink_;
};

// The lines as the file's text.
class TextLines final : public DataFileLines {
public:
    TextLines() { text_.reserve(std::size_t{128} * 1024); } // a full file is about 100 KB
    void section(std::string_view name) override {
        text_ += '[';
        text_ += name;
        text_ += "]\r\n";
    }
    void value(std::string_view key, std::string_view value, bool marked) override {
        text_ += key;
        text_ += marked ? "=#" : "=";
        text_ += value;
        text_ += "\r\n";
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

void WriteHeader(DataFileText& out, ModelNumber model) {
    out.section("MAIN");
    out.marked("MODEL", ModelName(model));
    out.marked("TYPE", "KVX");
    out.marked("VERSION", "2.00");
    out.raw("MODELTYPE", model);
}

// Every value shown as "Off" is written as -1, which reads back as "Off"; the
// absolute value would turn a repaired -1 into channel 00A, and 65535 (no
// priority channel in the image) would not fit the line at all.
std::optional<std::int32_t> PriorityValue(std::int32_t stored, ModelNumber model) {
    try {
        return PriorityText(stored, model) == "Off" ? -1 : stored;
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

void WriteUsableGroups(DataFileText& out, const Records& records, ModelNumber model) {
    out.section(kUsableGroupSection);
    const auto& groups = records.UsableGroup;
    std::vector<std::string> names = SplitList(kGroupUsableKeys);
    for (int g = 0; g < kUsableGroups; ++g) out.flag(names.at(g), groups[g].Usable);
    for (int g = 0; g < kUsableGroups; ++g) out.flag(GroupKey("TX TOT", g), groups[g].TxTot);
    for (int g = 0; g < kUsableGroups; ++g)
        if (auto priority = PriorityValue(groups[g].PriorityCh, model))
            out.raw(GroupKey("Priority CH", g), *priority);
    for (int g = 0; g < kUsableGroups; ++g)
        out.flag(GroupKey("Status Icon", g), groups[g].StatusIcon);
    if (!ModelKeeps(model, Feature::ChannelNames)) return;
    for (int g = 0; g < kUsableGroups; ++g)
        out.plain(GroupKey("Status name", g), groups[g].StatusName);
}

void WriteCommon(DataFileText& out, const CommonSetup& common) {
    out.section(kCommonSection);
    out.number("TX Po Display", common.TxPoDisplay);
    out.flag("SCAN", common.Scan);
    out.raw("Resume Time", common.ResumeTime);
    out.flag("PTT SCAN Clear", common.PttScanClear);
    out.flag("Dual Watch", common.DualWatch);
    out.raw("Offset Time", common.OffsetTime);
    out.number("Magnetic Variation", common.MagneticVariation);
    out.number("Weater", common.Weater);
    out.flag("Rotary", common.Rotary);
}

void WriteDsc(DataFileText& out, const Records& records) {
    const auto& flags = records.DscFlags;
    out.section(kDscBasicSection);
    std::vector<std::string> usable = SplitList(kDscUsableKeys);
    for (int i = 0; i < 3; ++i) out.flag(usable.at(i), records.DscUsable[i]);
    out.marked("User MMSI", records.UserMmsi);
    for (int i = 0; i < 4; ++i) {
        out.flag(IndexedKey("PosRequest", i), flags[i]);
        out.flag(IndexedKey("PosRequestTX", i), flags[4 + i]);
    }
    for (int i = 0; i < 8; ++i) out.flag(IndexedKey("BeepOut", i), flags[8 + i]);

    out.section(kDscAdvancedSection);
    for (const CallBlock& block : kCallBlocks) {
        for (int i = 0; i < 4; ++i) {
            out.flag(IndexedKey(block.base, i), flags[block.on + i]);
            out.flag(IndexedKey(std::string(block.base) + "TX", i), flags[block.tx + i]);
        }
    }

    out.section(kDscDisplaySection);
    std::vector<std::string> menus = SplitList(kDisplayMenuKeys);
    for (std::size_t i = 0; i < menus.size(); ++i)
        out.flag(menus[i], flags[kDisplayMenuFirstFlag + i]);
}

void WriteAtis(DataFileText& out, const Records& records, ModelNumber model) {
    out.section(kAtisCommonSection);
    for (int i = 0; i < 4; ++i)
        out.flag(IndexedKey("Usable ATIS CH Group", i), records.DscFlags[kAtisGroupFirstFlag + i]);
    out.marked("Atis Code", records.AtisCode);
    if (ModelKeeps(model, Feature::KikkerGroup))
        for (int i = 0; i < 4; ++i)
            out.flag(IndexedKey("Usable ATIS Kikker CH Group", i), records.AtisKikkerGroup[i]);

    out.section(kAtisCallSignSection);
    for (int n = 1; n <= kCallSigns; ++n) {
        out.plain(IndexedKey("MID", n), records.AtisCallSign[n - 1].MID);
        out.plain(IndexedKey("DISP", n), records.AtisCallSign[n - 1].DISP);
    }
}

void WritePlanBank(DataFileText& out, const Records& records, Bank bank, ModelNumber model) {
    const std::vector<ChannelRecord>& channels = records.bank(bank);
    for (std::size_t k = 0; k < channels.size(); ++k) {
        const ChannelRecord& ch = channels[k];
        out.section(BankName(bank), static_cast<int>(k));
        out.raw("Position", ch.Position);
        out.flag("Enable", ch.Enable);
        out.flag("LowPower", ch.LowPower);
        out.flag("PowUp", ch.PowUp);
        out.flag("Duplex", ch.Duplex);
        out.flag("TxEnable", ch.TxEnable);
        out.flag("DispayA", ch.DispayA);
        out.flag("ScanMemory", ch.ScanMemory);
        if (!ModelKeeps(model, Feature::ChannelNames)) continue;
        out.raw("Scramble", ch.Scramble);
        out.marked("ChTag", ch.ChTag);
    }
}

void WriteWeatherBank(DataFileText& out, const Records& records) {
    for (std::size_t k = 0; k < records.CHWX.size(); ++k) {
        const ChannelRecord& ch = records.CHWX[k];
        out.section("CHWX", static_cast<int>(k));
        out.flag("Enable", ch.Enable);
        out.flag("ScanMemory", ch.ScanMemory);
        out.marked("ChTag", ch.ChTag);
    }
}

// The EXP keys that follow ChTag, for the models whose image keeps them.
void WriteExpExtras(DataFileText& out, const ChannelRecord& ch, ModelNumber model) {
    if (ModelKeeps(model, Feature::ExpNarrow)) out.flag(kNarrowKey, ch.Narrow);
    if (!ModelKeeps(model, Feature::ExpTones)) return;
    out.plain(kDcsCodeKey, SidePairText(ch.DcsCode));
    out.plain(kCtcssToneKey, SidePairText(ch.CtcssTone));
    out.flag(kCompanderKey, ch.Compander);
}

void WriteExpBank(DataFileText& out, const Records& records, ModelNumber model) {
    for (std::size_t k = 0; k < records.CHEXP.size(); ++k) {
        const ChannelRecord& ch = records.CHEXP[k];
        out.section("CHEXP", static_cast<int>(k));
        out.flag("Enable", ch.Enable);
        out.plain("CHDisplayL", ch.CHDisplayL);
        out.plain("CHDisplayR", ch.CHDisplayR);
        out.real("Rxfreq", ch.Rxfreq);
        out.real("Txfreq", ch.Txfreq);
        out.flag("LowPower", ch.LowPower);
        out.flag("PowUp", ch.PowUp);
        out.flag("ScanMemory", ch.ScanMemory);
        out.raw("Scramble", ch.Scramble);
        out.marked("ChTag", ch.ChTag);
        WriteExpExtras(out, ch, model);
    }
}

void WriteDirectory(DataFileText& out, const std::vector<DirectoryRecord>& entries,
                    std::string_view name) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.section(name, static_cast<int>(i) + 1);
        out.flag("Enable", entries[i].Enable);
        out.marked("TagName", entries[i].TagName);
        out.plain("Mmsid", entries[i].Mmsid);
    }
}

} // namespace

void WriteDataFileLines(const Records& records, ModelNumber model, char decimalSeparator,
                        DataFileLines& sink) {
    DataFileText out(decimalSeparator, sink);
    WriteHeader(out, model);
    WriteUsableGroups(out, records, model);
    WriteCommon(out, records.Common);
    WriteDsc(out, records);
    WriteAtis(out, records, model);
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN})
        WritePlanBank(out, records, bank, model);
    WriteWeatherBank(out, records);
    WriteDirectory(out, records.CHMMSID, "CHMMSID");
    WriteDirectory(out, records.CHGRPID, "CHGRPID");
    WriteExpBank(out, records, model);
}

std::string FormatDataFile(const Records& records, ModelNumber model, char decimalSeparator) {
    TextLines text;
    WriteDataFileLines(records, model, decimalSeparator, text);
    return text.take();
}

FileOutcome WriteDataFileAt(const Records& records, ModelNumber model,
                            const std::filesystem::path& path, char decimalSeparator) {
    try {
        WriteFileAtomically(path, FormatDataFile(records, model, decimalSeparator));
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::SaveDataFile, path, error);
    }
    return FileSucceeded(FileOperation::SaveDataFile, path);
}

} // namespace qb41
