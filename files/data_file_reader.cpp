#include "data_file_reader.h"

#include "data_file_keys.h"
#include "file_io.h"
#include "report/formatters.h"
#include "value_conversion.h"

#include "image/value_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qb41 {
namespace {

using namespace datafile;

// Reads the keys of one section into fields; each assignment stands alone.
// A value that breaks its value rule is not taken (the field keeps what it
// had) and leaves a note, as does a value taken in the editor's form.
class FieldReader {
public:
    FieldReader(const SectionTable& table, std::string section, std::vector<LoadNote>* notes)
        : section_(table.view(section)), name_(std::move(section)), notes_(notes) {}

    void flag(std::string_view key, std::int16_t& field) const {
        if (std::optional<bool> value = TextToBool(section_.value(key))) field = ToVbBool(*value);
    }
    void int16(std::string_view key, std::int16_t& field) const {
        if (std::optional<std::int16_t> value = TextToInt16(section_.value(key))) field = *value;
    }
    // A number with its rule; one that is not a number at all is passed over
    // as by int16 (the check reports it).
    template <typename Int> void ruled(std::string_view key, Int& field, NumberField rule) const {
        std::optional<double> value = TextToDouble(section_.value(key));
        if (!value) return;
        const double rounded = std::nearbyint(*value);
        const auto problem = std::fabs(rounded) < 1e15
                                 ? NumberProblem(rule, static_cast<long long>(rounded))
                                 : std::optional<std::string>("is outside its range");
        if (problem) return refuse(key, *problem);
        field = static_cast<Int>(rounded);
    }
    void frequency(std::string_view key, double& field) const {
        std::optional<double> value = TextToDouble(section_.value(key));
        if (!value) return;
        if (!FrequencyStorable(*value))
            return refuse(key, FrequencyProblem(*value).value_or("cannot be stored"));
        field = *value;
        if (auto problem = FrequencyProblem(*value)) note(LoadNote::Kind::Flagged, key, *problem);
    }
    void text(std::string_view key, std::string& field) const {
        field = std::string(section_.value(key));
    }
    void text(std::string_view key, std::string& field, TextField rule) const {
        std::string_view value = section_.value(key);
        if (auto problem = TextProblem(rule, value)) return refuse(key, *problem);
        field = std::string(value);
    }
    template <typename Problem>
    void checked(std::string_view key, std::string& field, Problem problem) const {
        std::string_view value = section_.value(key);
        if (auto reason = problem(value)) return refuse(key, *reason);
        field = std::string(value);
    }
    std::string_view raw(std::string_view key) const { return section_.value(key); }

    void note(LoadNote::Kind kind, std::string_view key, std::string text) const {
        if (notes_)
            notes_->push_back(
                {kind, name_, std::string(key), std::string(section_.value(key)), std::move(text)});
    }

private:
    void refuse(std::string_view key, const std::string& reason) const {
        note(LoadNote::Kind::Refused, key, reason + "; not read");
    }

    SectionView section_;
    std::string name_;
    std::vector<LoadNote>* notes_;
};

// The value shown as "Off" is written -1; 65535 (no channel, as the image
// holds it) and any other number that names no channel read as Off too.
void ReadPriority(const FieldReader& in, const std::string& key, std::int32_t& field) {
    std::optional<double> value = TextToDouble(in.raw(key));
    if (!value) return;
    const double n = std::nearbyint(*value);
    if (n >= -1 && n <= 279) {
        field = static_cast<std::int32_t>(n);
        return;
    }
    field = -1;
    if (n != 65535) in.note(LoadNote::Kind::Normalised, key, "names no channel; read as Off");
}

void ReadUsableGroups(const SectionTable& table, Records& records, ModelNumber model,
                      std::vector<LoadNote>* notes) {
    FieldReader in(table, std::string(kUsableGroupSection), notes);
    auto& groups = records.UsableGroup;
    std::vector<std::string> names = SplitList(kGroupUsableKeys);
    for (int g = 0; g < kUsableGroups; ++g) in.flag(names.at(g), groups[g].Usable);
    for (int g = 0; g < kUsableGroups; ++g) {
        in.flag(GroupKey("TX TOT", g), groups[g].TxTot);
        ReadPriority(in, GroupKey("Priority CH", g), groups[g].PriorityCh);
        in.flag(GroupKey("Status Icon", g), groups[g].StatusIcon);
        if (!ModelKeeps(model, Feature::ChannelNames)) continue;
        // The file loses the leading blanks of the right-aligned form the
        // editor stores; it is given back here.
        std::string& name = groups[g].StatusName;
        in.text(GroupKey("Status name", g), name, TextField::StatusName);
        if (!name.empty() && name.size() < 4) name.insert(0, 4 - name.size(), ' ');
    }
}

void ReadCommon(const SectionTable& table, CommonSetup& common, std::vector<LoadNote>* notes) {
    FieldReader in(table, std::string(kCommonSection), notes);
    in.ruled("TX Po Display", common.TxPoDisplay, NumberField::TxPoDisplay);
    in.flag("SCAN", common.Scan);
    in.ruled("Resume Time", common.ResumeTime, NumberField::ResumeTime);
    in.flag("PTT SCAN Clear", common.PttScanClear);
    in.flag("Dual Watch", common.DualWatch);
    in.ruled("Offset Time", common.OffsetTime, NumberField::OffsetTime);
    in.ruled("Magnetic Variation", common.MagneticVariation, NumberField::MagneticVariation);
    in.ruled("Weater", common.Weater, NumberField::Weater);
    in.flag("Rotary", common.Rotary);
}

std::optional<std::string> IndividualMmsiProblem(std::string_view mmsi) {
    return StoredMmsiProblem(MmsiForm::Individual, mmsi);
}
std::optional<std::string> GroupMmsiProblem(std::string_view mmsi) {
    return StoredMmsiProblem(MmsiForm::Group, mmsi);
}

void ReadDsc(const SectionTable& table, Records& records, std::vector<LoadNote>* notes) {
    auto& flags = records.DscFlags;
    FieldReader basic(table, std::string(kDscBasicSection), notes);
    std::vector<std::string> usable = SplitList(kDscUsableKeys);
    for (int i = 0; i < 3; ++i) basic.flag(usable.at(i), records.DscUsable[i]);
    basic.checked("User MMSI", records.UserMmsi, IndividualMmsiProblem);
    for (int i = 0; i < 4; ++i) {
        basic.flag(IndexedKey("PosRequest", i), flags[i]);
        basic.flag(IndexedKey("PosRequestTX", i), flags[4 + i]);
    }
    for (int i = 0; i < 8; ++i) basic.flag(IndexedKey("BeepOut", i), flags[8 + i]);

    FieldReader advanced(table, std::string(kDscAdvancedSection), notes);
    for (const CallBlock& block : kCallBlocks) {
        for (int i = 0; i < 4; ++i) {
            advanced.flag(IndexedKey(block.base, i), flags[block.on + i]);
            advanced.flag(IndexedKey(std::string(block.base) + "TX", i), flags[block.tx + i]);
        }
    }

    FieldReader display(table, std::string(kDscDisplaySection), notes);
    std::vector<std::string> menus = SplitList(kDisplayMenuKeys);
    for (std::size_t i = 0; i < menus.size(); ++i)
        display.flag(menus[i], flags[kDisplayMenuFirstFlag + i]);
}

void ReadAtis(const SectionTable& table, Records& records, ModelNumber model,
              std::vector<LoadNote>* notes) {
    FieldReader common(table, std::string(kAtisCommonSection), notes);
    for (int i = 0; i < 4; ++i)
        common.flag(IndexedKey("Usable ATIS CH Group", i),
                    records.DscFlags[kAtisGroupFirstFlag + i]);
    common.checked("Atis Code", records.AtisCode, AtisCodeProblem);
    if (ModelKeeps(model, Feature::KikkerGroup))
        for (int i = 0; i < 4; ++i)
            common.flag(IndexedKey("Usable ATIS Kikker CH Group", i), records.AtisKikkerGroup[i]);

    FieldReader callSigns(table, std::string(kAtisCallSignSection), notes);
    for (int n = 1; n <= kCallSigns; ++n) {
        callSigns.text(IndexedKey("MID", n), records.AtisCallSign[n - 1].MID,
                       TextField::CallSignMid);
        callSigns.text(IndexedKey("DISP", n), records.AtisCallSign[n - 1].DISP,
                       TextField::CallSignDisp);
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
    in.ruled("Scramble", ch.Scramble, NumberField::Scramble);
    in.text("ChTag", ch.ChTag, TextField::ChannelName);
}

// Sections k = 0, 1, 2, ... until the first one without a Position; each lands
// in the record its Position names, or nowhere when that is out of range.
void ReadPlanBank(const SectionTable& table, Records& records, Bank bank, ModelNumber model,
                  std::vector<LoadNote>* notes) {
    std::vector<ChannelRecord>& channels = records.bank(bank);
    for (int k = 0; k <= std::numeric_limits<std::int16_t>::max(); ++k) {
        FieldReader in(table, IndexedKey(BankName(bank), k), notes);
        std::string_view position = in.raw("Position");
        if (position.empty()) return;
        std::optional<std::int16_t> p = RoundToInt16(LeadingNumber(position));
        if (!p || *p < 0 || static_cast<std::size_t>(*p) >= channels.size()) continue;
        channels[*p].Position = *p;
        ReadPlanChannel(in, channels[*p], model);
    }
}

void ReadWeatherBank(const SectionTable& table, Records& records, std::vector<LoadNote>* notes) {
    for (std::size_t k = 0; k < records.CHWX.size(); ++k) {
        FieldReader in(table, IndexedKey("CHWX", static_cast<int>(k)), notes);
        ChannelRecord& ch = records.CHWX[k];
        in.flag("Enable", ch.Enable);
        in.flag("ScanMemory", ch.ScanMemory);
        in.text("ChTag", ch.ChTag, TextField::ChannelName);
    }
}

// "tx,rx", both within the rule, or neither side is read.
void ReadSides(const FieldReader& in, std::string_view key, std::array<std::int16_t, 2>& field,
               NumberField rule) {
    std::string_view value = in.raw(key);
    std::size_t comma = value.find(',');
    if (comma == std::string_view::npos) return;
    std::optional<std::int16_t> tx = TextToInt16(value.substr(0, comma));
    std::optional<std::int16_t> rx = TextToInt16(value.substr(comma + 1));
    if (!tx || !rx) return;
    for (std::int16_t side : {*tx, *rx})
        if (auto problem = NumberProblem(rule, side))
            return in.note(LoadNote::Kind::Refused, key, *problem + "; not read");
    field = {*tx, *rx};
}

// The editor's two-character form of a one-digit channel number: "5" is "05".
void ReadDisplayLeft(const FieldReader& in, std::string& field) {
    std::string value;
    in.text("CHDisplayL", value);
    if (auto problem = TextProblem(TextField::DisplayLeft, value))
        return in.note(LoadNote::Kind::Refused, "CHDisplayL", *problem + "; not read");
    if (value.size() == 1 && value[0] >= '0' && value[0] <= '9') {
        value.insert(0, 1, '0');
        in.note(LoadNote::Kind::Normalised, "CHDisplayL", "read as " + value);
    }
    field = value;
}

void ReadExpBank(const SectionTable& table, Records& records, ModelNumber model,
                 std::vector<LoadNote>* notes) {
    for (std::size_t k = 0; k < records.CHEXP.size(); ++k) {
        FieldReader in(table, IndexedKey("CHEXP", static_cast<int>(k)), notes);
        ChannelRecord& ch = records.CHEXP[k];
        in.flag("Enable", ch.Enable);
        ReadDisplayLeft(in, ch.CHDisplayL);
        in.text("CHDisplayR", ch.CHDisplayR, TextField::DisplayRight);
        in.frequency("Rxfreq", ch.Rxfreq);
        in.frequency("Txfreq", ch.Txfreq);
        in.flag("LowPower", ch.LowPower);
        in.flag("PowUp", ch.PowUp);
        in.flag("ScanMemory", ch.ScanMemory);
        in.ruled("Scramble", ch.Scramble, NumberField::Scramble);
        in.text("ChTag", ch.ChTag, TextField::ChannelName);
        if (ModelKeeps(model, Feature::ExpNarrow)) in.flag(kNarrowKey, ch.Narrow);
        if (!ModelKeeps(model, Feature::ExpTones)) continue;
        ReadSides(in, kDcsCodeKey, ch.DcsCode, NumberField::DcsCode);
        ReadSides(in, kCtcssToneKey, ch.CtcssTone, NumberField::CtcssTone);
        in.flag(kCompanderKey, ch.Compander);
    }
}

// The radio keeps only the leading run of entries in use: entries after an
// empty one move up, in their order, and the move is noted.
void CloseDirectoryGap(std::vector<DirectoryRecord>& entries, std::string_view name,
                       std::vector<LoadNote>* notes) {
    std::vector<DirectoryRecord> used;
    std::size_t firstEmpty = entries.size();
    bool gap = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Mmsid.empty()) {
            firstEmpty = std::min(firstEmpty, i);
            continue;
        }
        gap = gap || firstEmpty < i;
        used.push_back(entries[i]);
    }
    if (!gap) return;
    std::fill(entries.begin(), entries.end(), DirectoryRecord{});
    std::copy(used.begin(), used.end(), entries.begin());
    if (notes)
        notes->push_back({LoadNote::Kind::Normalised,
                          IndexedKey(name, static_cast<int>(firstEmpty) + 1), "Mmsid", "",
                          "is empty: the entries after it moved up to close the gap, in their "
                          "order"});
}

void ReadDirectory(const SectionTable& table, std::vector<DirectoryRecord>& entries,
                   std::string_view name, MmsiForm form, std::vector<LoadNote>* notes) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        FieldReader in(table, IndexedKey(name, static_cast<int>(i) + 1), notes);
        in.flag("Enable", entries[i].Enable);
        in.text("TagName", entries[i].TagName, TextField::DirectoryName);
        in.checked("Mmsid", entries[i].Mmsid,
                   form == MmsiForm::Individual ? IndividualMmsiProblem : GroupMmsiProblem);
    }
    CloseDirectoryGap(entries, name, notes);
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

void FillRecords(const SectionTable& table, Records& records, ModelNumber model,
                 std::vector<LoadNote>* notes) {
    ReadUsableGroups(table, records, model, notes);
    ReadCommon(table, records.Common, notes);
    ReadDsc(table, records, notes);
    ReadAtis(table, records, model, notes);
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN})
        ReadPlanBank(table, records, bank, model, notes);
    ReadWeatherBank(table, records, notes);
    ReadDirectory(table, records.CHMMSID, "CHMMSID", MmsiForm::Individual, notes);
    ReadDirectory(table, records.CHGRPID, "CHGRPID", MmsiForm::Group, notes);
    ReadExpBank(table, records, model, notes);
}

bool ReadDataFileText(std::string_view fileText, Records& records, ModelNumber model,
                      std::vector<LoadNote>* notes) {
    std::optional<std::int16_t> fileModel = ReadModelType(fileText);
    if (!fileModel || *fileModel != model) return false;
    FillRecords(ParseDataFile(fileText), records, model, notes);
    return true;
}

FileOutcome ReadDataFileAt(Records& records, ModelNumber model, const std::filesystem::path& path) {
    try {
        const std::string text = ReadWholeFile(path, kMaxDataFileBytes);
        if (!ReadDataFileText(text, records, model))
            return FileRefused(FileOperation::ReadDataFile, FileReason::WrongModel, path,
                               DifferentModelCause(ReadModelType(text), model));
    } catch (const std::exception& error) {
        return FileTrapped(FileOperation::ReadDataFile, path, error);
    }
    return FileSucceeded(FileOperation::ReadDataFile, path);
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
