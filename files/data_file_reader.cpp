#include "data_file_reader.h"

#include "data_file_keys.h"
#include "file_io.h"
#include "report/formatters.h"
#include "value_conversion.h"

#include <limits>

namespace qb41 {
namespace {

using namespace datafile;

// Reads the keys of one section into fields; each assignment stands alone.
class FieldReader {
public:
    FieldReader(const SectionTable& table, std::string_view section)
        : section_(table.view(section)) {}

    void flag(std::string_view key, std::int16_t& field) const {
        if (std::optional<bool> value = TextToBool(section_.value(key))) field = ToVbBool(*value);
    }
    void int16(std::string_view key, std::int16_t& field) const {
        if (std::optional<std::int16_t> value = TextToInt16(section_.value(key))) field = *value;
    }
    void int32(std::string_view key, std::int32_t& field) const {
        if (std::optional<std::int32_t> value = TextToInt32(section_.value(key))) field = *value;
    }
    void real(std::string_view key, double& field) const {
        if (std::optional<double> value = TextToDouble(section_.value(key))) field = *value;
    }
    // "tx,rx": both sides or neither.
    void sides(std::string_view key, std::array<std::int16_t, 2>& field) const {
        std::string_view value = section_.value(key);
        std::size_t comma = value.find(',');
        if (comma == std::string_view::npos) return;
        std::optional<std::int16_t> tx = TextToInt16(value.substr(0, comma));
        std::optional<std::int16_t> rx = TextToInt16(value.substr(comma + 1));
        if (tx && rx) field = {*tx, *rx};
    }
    void text(std::string_view key, std::string& field) const {
        field = std::string(section_.value(key));
    }
    std::string_view raw(std::string_view key) const { return section_.value(key); }

private:
    SectionView section_;
};

void ReadUsableGroups(const SectionTable& table, Records& records, ModelNumber model) {
    FieldReader in(table, kUsableGroupSection);
    auto& groups = records.UsableGroup;
    std::vector<std::string> names = SplitList(kGroupUsableKeys);
    for (int g = 0; g < kUsableGroups; ++g) in.flag(names.at(g), groups[g].Usable);
    for (int g = 0; g < kUsableGroups; ++g) {
        in.flag(GroupKey("TX TOT", g), groups[g].TxTot);
        in.int32(GroupKey("Priority CH", g), groups[g].PriorityCh);
        in.flag(GroupKey("Status Icon", g), groups[g].StatusIcon);
        if (ModelKeeps(model, Feature::ChannelNames))
            in.text(GroupKey("Status name", g), groups[g].StatusName);
    }
}

void ReadCommon(const SectionTable& table, CommonSetup& common) {
    FieldReader in(table, kCommonSection);
    in.int16("TX Po Display", common.TxPoDisplay);
    in.flag("SCAN", common.Scan);
    in.int16("Resume Time", common.ResumeTime);
    in.flag("PTT SCAN Clear", common.PttScanClear);
    in.flag("Dual Watch", common.DualWatch);
    in.int16("Offset Time", common.OffsetTime);
    in.int16("Magnetic Variation", common.MagneticVariation);
    in.int16("Weater", common.Weater);
    in.flag("Rotary", common.Rotary);
}

void ReadDsc(const SectionTable& table, Records& records) {
    auto& flags = records.DscFlags;
    FieldReader basic(table, kDscBasicSection);
    std::vector<std::string> usable = SplitList(kDscUsableKeys);
    for (int i = 0; i < 3; ++i) basic.flag(usable.at(i), records.DscUsable[i]);
    basic.text("User MMSI", records.UserMmsi);
    for (int i = 0; i < 4; ++i) {
        basic.flag(IndexedKey("PosRequest", i), flags[i]);
        basic.flag(IndexedKey("PosRequestTX", i), flags[4 + i]);
    }
    for (int i = 0; i < 8; ++i) basic.flag(IndexedKey("BeepOut", i), flags[8 + i]);

    FieldReader advanced(table, kDscAdvancedSection);
    for (const CallBlock& block : kCallBlocks) {
        for (int i = 0; i < 4; ++i) {
            advanced.flag(IndexedKey(block.base, i), flags[block.on + i]);
            advanced.flag(IndexedKey(std::string(block.base) + "TX", i), flags[block.tx + i]);
        }
    }

    FieldReader display(table, kDscDisplaySection);
    std::vector<std::string> menus = SplitList(kDisplayMenuKeys);
    for (std::size_t i = 0; i < menus.size(); ++i)
        display.flag(menus[i], flags[kDisplayMenuFirstFlag + i]);
}

void ReadAtis(const SectionTable& table, Records& records, ModelNumber model) {
    FieldReader common(table, kAtisCommonSection);
    for (int i = 0; i < 4; ++i)
        common.flag(IndexedKey("Usable ATIS CH Group", i),
                    records.DscFlags[kAtisGroupFirstFlag + i]);
    common.text("Atis Code", records.AtisCode);
    if (ModelKeeps(model, Feature::KikkerGroup))
        for (int i = 0; i < 4; ++i)
            common.flag(IndexedKey("Usable ATIS Kikker CH Group", i), records.AtisKikkerGroup[i]);

    FieldReader callSigns(table, kAtisCallSignSection);
    for (int n = 1; n <= kCallSigns; ++n) {
        callSigns.text(IndexedKey("MID", n), records.AtisCallSign[n - 1].MID);
        callSigns.text(IndexedKey("DISP", n), records.AtisCallSign[n - 1].DISP);
    }
}

void ReadPlanChannel(const FieldReader& in, ChannelRecord& ch, ModelNumber model) {
    in.flag("Enable", ch.Enable);
    in.flag("LowPower", ch.LowPower);
    in.flag("PowUp", ch.PowUp);
    in.flag("Duplex", ch.Duplex);
    ch.Duplex = static_cast<std::int16_t>(ch.Duplex & ch.DuplexAllowed);
    in.flag("TxEnable", ch.TxEnable);
    in.flag("DispayA", ch.DispayA);
    in.flag("ScanMemory", ch.ScanMemory);
    if (!ModelKeeps(model, Feature::ChannelNames)) return;
    in.int16("Scramble", ch.Scramble);
    in.text("ChTag", ch.ChTag);
}

// Sections k = 0, 1, 2, ... until the first one without a Position; each lands
// in the record its Position names, or nowhere when that is out of range.
void ReadPlanBank(const SectionTable& table, Records& records, Bank bank, ModelNumber model) {
    std::vector<ChannelRecord>& channels = records.bank(bank);
    for (int k = 0; k <= std::numeric_limits<std::int16_t>::max(); ++k) {
        FieldReader in(table, IndexedKey(BankName(bank), k));
        std::string_view position = in.raw("Position");
        if (position.empty()) return;
        std::optional<std::int16_t> p = RoundToInt16(LeadingNumber(position));
        if (!p || *p < 0 || static_cast<std::size_t>(*p) >= channels.size()) continue;
        channels[*p].Position = *p;
        ReadPlanChannel(in, channels[*p], model);
    }
}

void ReadWeatherBank(const SectionTable& table, Records& records) {
    for (std::size_t k = 0; k < records.CHWX.size(); ++k) {
        FieldReader in(table, IndexedKey("CHWX", static_cast<int>(k)));
        ChannelRecord& ch = records.CHWX[k];
        in.flag("Enable", ch.Enable);
        in.flag("ScanMemory", ch.ScanMemory);
        in.text("ChTag", ch.ChTag);
    }
}

void ReadExpBank(const SectionTable& table, Records& records, ModelNumber model) {
    for (std::size_t k = 0; k < records.CHEXP.size(); ++k) {
        FieldReader in(table, IndexedKey("CHEXP", static_cast<int>(k)));
        ChannelRecord& ch = records.CHEXP[k];
        in.flag("Enable", ch.Enable);
        in.text("CHDisplayL", ch.CHDisplayL);
        in.text("CHDisplayR", ch.CHDisplayR);
        in.real("Rxfreq", ch.Rxfreq);
        in.real("Txfreq", ch.Txfreq);
        in.flag("LowPower", ch.LowPower);
        in.flag("PowUp", ch.PowUp);
        in.flag("ScanMemory", ch.ScanMemory);
        in.int16("Scramble", ch.Scramble);
        in.text("ChTag", ch.ChTag);
        if (ModelKeeps(model, Feature::ExpNarrow)) in.flag(kNarrowKey, ch.Narrow);
        if (!ModelKeeps(model, Feature::ExpTones)) continue;
        in.sides(kDcsCodeKey, ch.DcsCode);
        in.sides(kCtcssToneKey, ch.CtcssTone);
        in.flag(kCompanderKey, ch.Compander);
    }
}

void ReadDirectory(const SectionTable& table, std::vector<DirectoryRecord>& entries,
                   std::string_view name) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        FieldReader in(table, IndexedKey(name, static_cast<int>(i) + 1));
        in.flag("Enable", entries[i].Enable);
        in.text("TagName", entries[i].TagName);
        in.text("Mmsid", entries[i].Mmsid);
    }
}

void ReportReadFailure(FileContext& context, const std::filesystem::path& path,
                       const std::exception& error) {
    AppState& app = context.app;
    app.loading = false;
    app.errorFlag = true;
    app.cancelFlag = true;
    context.log.LogError("frmMain.FileRead2", error);
    context.notifier.show(MessageIcon::Warning, app.windowTitle,
                          FileMessage("FileRead Error!!", path, FileFailureCause(error)));
}

std::string CatalogueName(std::int16_t model) {
    const ModelInfo* info = FindModel(model);
    return info ? std::string(info->catalogueName) : "model " + std::to_string(model);
}

std::string DifferentModelCause(std::optional<std::int16_t> fileModel, ModelNumber selected) {
    if (!fileModel)
        return "the file names no model (MODELTYPE), the selected model " + CatalogueName(selected);
    return "the file's model is " + CatalogueName(*fileModel) + ", the selected model " +
           CatalogueName(selected);
}

} // namespace

std::optional<std::int16_t> ReadModelType(std::string_view fileText) {
    std::optional<std::string> text = ProfileLookup(fileText, kMain, kModelType);
    if (!text || *text == "<NONE>") return std::nullopt;
    std::string_view value = *text;
    if (!value.empty() && value.front() == '#') value.remove_prefix(1);
    return TextToInt16(value);
}

void FillRecords(const SectionTable& table, Records& records, ModelNumber model) {
    ReadUsableGroups(table, records, model);
    ReadCommon(table, records.Common);
    ReadDsc(table, records);
    ReadAtis(table, records, model);
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN})
        ReadPlanBank(table, records, bank, model);
    ReadWeatherBank(table, records);
    ReadDirectory(table, records.CHMMSID, "CHMMSID");
    ReadDirectory(table, records.CHGRPID, "CHGRPID");
    ReadExpBank(table, records, model);
}

bool ReadDataFileText(std::string_view fileText, Records& records, ModelNumber model) {
    std::optional<std::int16_t> fileModel = ReadModelType(fileText);
    if (!fileModel || *fileModel != model) return false;
    FillRecords(ParseDataFile(fileText), records, model);
    return true;
}

bool FileRead2(FileContext& context, const std::filesystem::path& path) {
    AppState& app = context.app;
    app.errorFlag = false;
    app.loading = true;
    try {
        std::string text = ReadWholeFile(path, kMaxDataFileBytes);
        if (!ReadDataFileText(text, context.data.records, app.modelNumber)) {
            app.loading = false;
            app.errorFlag = true;
            context.notifier.show(
                MessageIcon::Critical, app.windowTitle,
                FileMessage("different model!!", path,
                            DifferentModelCause(ReadModelType(text), app.modelNumber)));
            return false;
        }
    } catch (const std::exception& error) {
        ReportReadFailure(context, path, error);
        return false;
    }
    app.loading = false;
    return true;
}

bool OpenDataFile(FileContext& context, const std::string& name) {
    context.app.cancelFlag = true;
    if (name.empty()) return false;
    if (!FileRead2(context, name)) return false;
    context.app.currentFileName = name;
    context.app.cancelFlag = false;
    return true;
}

std::string WindowCaption(const AppState& app) {
    std::string caption = app.productName + "  " + app.windowTitle;
    if (app.currentFileName.empty()) return caption;
    std::string_view name = app.currentFileName;
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return lower + " - " + caption;
}

} // namespace qb41
