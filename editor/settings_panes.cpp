#include "settings_panes.h"

#include "input_filters.h"
#include "mmsi.h"

#include "files/data_file_keys.h"
#include "image/layout.h"
#include "image/value_rules.h"
#include "report/formatters.h"

namespace qb41::editor {
namespace {

constexpr int kDscTxLevelFlags[] = {4, 5, 6, 7, 20, 21, 22, 23, 28, 29, 30, 31, 36, 37, 38, 39};

// Right-aligned in the four characters of a status name.
std::string PadLeft(std::string_view text) {
    std::string padded(text.size() < 4 ? 4 - text.size() : 0, ' ');
    return padded.append(text);
}

bool ValidGroup(int group) {
    return group >= 0 && group < kUsableGroups;
}

Message FieldError(std::string title) {
    return Message{MessageIcon::Warning, std::move(title), "Data Error!!", MessageButtons::Ok};
}

std::vector<DscSelector> BuildDscSelectors() {
    std::vector<DscSelector> list;
    static constexpr std::string_view posRows[] = {"Distress Cancel Call", "Standby Mode",
                                                   "POS Request", "POS Send"};
    // Beep selector k edits DscFlags[8 + k]; each row is labelled with that flag.
    static constexpr std::string_view beepRows[] = {
        "Send Distress Alert",  "Received All Ships", "Received Group",     "Received Indivisual",
        "Received POS Request", "Received POS Send",  "Received Geografic", "POS Send"};
    static constexpr std::string_view categories[] = {"Distress", "Urgency", "Safty", "Routine"};
    static constexpr std::string_view displayRows[] = {
        "Individual ACK Menu", "Individual ACK Message Menu", "POS Request ACK Menu"};
    for (int k = 0; k < 4; ++k) list.push_back({"cmbUsableDscPosRequest", k, k, posRows[k], -1});
    for (int k = 0; k < 4; ++k)
        list.push_back({"cmbUsableDscPosRequestTX", k, 4 + k, posRows[k], k});
    for (int k = 0; k < 8; ++k) list.push_back({"cmbUsableDscBeepOut", k, 8 + k, beepRows[k], -1});
    const struct {
        std::string_view call, level;
        int first;
    } calls[] = {{"cmbUsableDscAllShipsCall", "cmbUsableDscAllShipsCallTX", 16},
                 {"cmbUsableDscGroupCall", "cmbUsableDscGroupCallTX", 24},
                 {"cmbUsableDscIndividualCall", "cmbUsableDscIndividualCallTX", 32}};
    for (const auto& call : calls) {
        for (int k = 0; k < 4; ++k)
            list.push_back({call.call, k, call.first + k, categories[k], -1});
        for (int k = 0; k < 4; ++k)
            list.push_back({call.level, k, call.first + 4 + k, categories[k], call.first + k});
    }
    for (int k = 0; k < 3; ++k) list.push_back({"cmbDscDisplay", k, 40 + k, displayRows[k], -1});
    return list;
}

const DscSelector* FindSelector(int flag) {
    for (const DscSelector& s : DscSelectors())
        if (s.flag == flag) return &s;
    return nullptr;
}

} // namespace

// ---- Usable groups -------------------------------------------------------------

std::array<UsableRowView, kUsableGroups> ViewUsablePane(const Records& records, ModelNumber model) {
    static constexpr std::string_view captions[] = {"USA", "INTL", "CANADA"};
    std::array<UsableRowView, kUsableGroups> rows;
    for (int g = 0; g < kUsableGroups; ++g) {
        const UsableGroupRecord& group = records.UsableGroup[static_cast<std::size_t>(g)];
        UsableRowView& row = rows[static_cast<std::size_t>(g)];
        row.caption = g < 3 ? std::string(captions[g]) : (model == 2 ? "LMR CH" : "EXP CH");
        row.usable = group.Usable != 0;
        row.txTot = OffOnChoices(group.TxTot);
        row.priority = PriorityChoices(records, g, model);
        row.statusIcon = OffOnChoices(group.StatusIcon);
        row.statusName = group.StatusName;
        row.txTotState.enabled = row.usable;
        row.priorityState.enabled = row.usable;
        row.statusIconState = {model != 3, row.usable, {}};
        row.statusNameState = {
            model != 3 && StoresChannelNames(model), row.usable && group.StatusIcon == 0, {}};
    }
    return rows;
}

EditResult SetGroupUsable(Records& records, AppState& state, int group, bool ticked) {
    if (state.loading || !ValidGroup(group)) return {};
    EditResult result =
        Edited(state, StoreField(records.UsableGroup[static_cast<std::size_t>(group)].Usable,
                                 ToVbBool(ticked)));
    result.rebuildTree = result.changed;
    result.groupTextsChanged = result.changed;
    return result;
}

EditResult PickGroupChoice(Records& records, AppState& state, int group, UsableChoice choice,
                           int index) {
    if (state.loading || !ValidGroup(group)) return {};
    const UsableRowView row =
        ViewUsablePane(records, state.modelNumber)[static_cast<std::size_t>(group)];
    UsableGroupRecord& rec = records.UsableGroup[static_cast<std::size_t>(group)];
    bool changed = false;
    bool texts = false;
    switch (choice) {
    case UsableChoice::TxTot:
        if (const auto v = row.txTot.valueAt(index); v && row.txTotState.enabled)
            changed = StoreField(rec.TxTot, static_cast<VbBool>(*v));
        break;
    case UsableChoice::Priority:
        if (const auto v = row.priority.valueAt(index); v && row.priorityState.enabled)
            changed = StoreField(rec.PriorityCh, *v);
        break;
    case UsableChoice::StatusIcon:
        if (const auto v = row.statusIcon.valueAt(index);
            v && row.statusIconState.enabled && row.statusIconState.visible)
            changed = texts = StoreField(rec.StatusIcon, static_cast<VbBool>(*v));
        break;
    }
    EditResult result = Edited(state, changed);
    result.groupTextsChanged = texts;
    return result;
}

FieldCheck CommitStatusName(Records& records, AppState& state, int group, std::string_view text) {
    FieldCheck check;
    if (!ValidGroup(group)) return check;
    std::string& name = records.UsableGroup[static_cast<std::size_t>(group)].StatusName;
    check.boxText = name;
    const UsableRowView row =
        ViewUsablePane(records, state.modelNumber)[static_cast<std::size_t>(group)];
    if (state.loading || !row.statusNameState.visible || !row.statusNameState.enabled ||
        !TextAccepted(TextBox::StatusName, text))
        return check;
    const std::string_view trimmed = TrimBlanks(text);
    const std::string stored = trimmed.empty() ? std::string() : PadLeft(trimmed);
    check.result = Edited(state, StoreField(name, stored));
    check.result.refill = false;
    check.result.groupTextsChanged = check.result.changed;
    check.boxText = name;
    return check;
}

// ---- Common setup --------------------------------------------------------------

CommonPaneView ViewCommonPane(const Records& records, ModelNumber model) {
    const CommonSetup& c = records.Common;
    CommonPaneView view;
    auto set = [&view](CommonChoice which, ChoiceList list) {
        view.lists[static_cast<std::size_t>(which)] = std::move(list);
    };
    set(CommonChoice::TxPoDisplay, TxPoDisplayChoices(c.TxPoDisplay));
    set(CommonChoice::Scan, OffOnChoices(c.Scan));
    set(CommonChoice::ResumeTime, ResumeTimeChoices(c.ResumeTime));
    set(CommonChoice::PttScanClear, OffOnChoices(c.PttScanClear));
    set(CommonChoice::DualWatch, OffOnChoices(c.DualWatch));
    set(CommonChoice::OffsetTime, OffsetTimeChoices(c.OffsetTime));
    set(CommonChoice::MagVar, MagVarChoices(c.MagneticVariation));
    set(CommonChoice::Weather, WeatherAlertChoices(c.Weater));
    set(CommonChoice::Rotary, OffOnChoices(c.Rotary));
    const bool scan = c.Scan != 0;
    view.states[static_cast<std::size_t>(CommonChoice::ResumeTime)].enabled = scan;
    view.states[static_cast<std::size_t>(CommonChoice::PttScanClear)].enabled = scan;
    ControlState& rotary = view.states[static_cast<std::size_t>(CommonChoice::Rotary)];
    rotary.visible = model != 3;
    const Keeping rotaryKept = ControlKept(model, Feature::Rotary);
    rotary.enabled = rotaryKept.kept;
    rotary.reason = rotaryKept.reason;
    return view;
}

EditResult PickCommonChoice(Records& records, AppState& state, CommonChoice choice, int index) {
    if (state.loading) return {};
    const CommonPaneView view = ViewCommonPane(records, state.modelNumber);
    const ControlState& s = view.state(choice);
    const auto v = view.list(choice).valueAt(index);
    if (!v || !s.visible || !s.enabled) return {};
    CommonSetup& c = records.Common;
    std::int16_t* fields[] = {&c.TxPoDisplay,       &c.Scan,      &c.ResumeTime,
                              &c.PttScanClear,      &c.DualWatch, &c.OffsetTime,
                              &c.MagneticVariation, &c.Weater,    &c.Rotary};
    return Edited(state, StoreField(*fields[static_cast<std::size_t>(choice)],
                                    static_cast<std::int16_t>(*v)));
}

// ---- What the model's image keeps ------------------------------------------------

Keeping ControlKept(ModelNumber model, Feature feature) {
    Keeping keeping;
    keeping.kept = ModelKeeps(model, feature);
    if (!keeping.kept) {
        const ModelInfo* info = FindModel(model);
        keeping.reason = "The " + std::string(info ? info->catalogueName : "model") +
                         " keeps no such setting in its memory: it is neither programmed nor "
                         "read back.";
    }
    return keeping;
}

std::optional<Feature> DscFlagFeature(int flag) {
    if (flag == 4 || flag == 5) return Feature::DscStandbyFlags;
    return std::nullopt;
}

// ---- DSC setup -------------------------------------------------------------------

const std::vector<DscSelector>& DscSelectors() {
    static const std::vector<DscSelector> list = BuildDscSelectors();
    return list;
}

ChoiceList DscFlagChoices(const Records& records, int flag) {
    const int stored =
        flag >= 0 && flag < kDscFlags ? records.DscFlags[static_cast<std::size_t>(flag)] : 0;
    for (int level : kDscTxLevelFlags)
        if (level == flag) return LowHiChoices(stored);
    return OffOnChoices(stored);
}

bool DscFlagEnabled(const Records& records, ModelNumber model, int flag) {
    const DscSelector* s = FindSelector(flag);
    if (!s) return false;
    if (auto feature = DscFlagFeature(flag); feature && !ModelKeeps(model, *feature)) return false;
    return s->enabledBy < 0 || records.DscFlags[static_cast<std::size_t>(s->enabledBy)] != 0;
}

DscPaneView ViewDscPane(const DataSet& data) {
    DscPaneView view;
    for (std::size_t k = 0; k < view.usable.size(); ++k)
        view.usable[k] = OffOnChoices(data.records.DscUsable[k]);
    view.userMmsi = MmsiBoxText(data.records.UserMmsi, MmsiKind::Individual);
    view.entryCount = std::to_string(data.image[layout::kClearCounter]);
    return view;
}

EditResult PickDscUsable(Records& records, AppState& state, int group, int index) {
    if (state.loading || group < 0 || group >= 3) return {};
    VbBool& field = records.DscUsable[static_cast<std::size_t>(group)];
    const auto v = OffOnChoices(field).valueAt(index);
    if (!v) return {};
    return Edited(state, StoreField(field, static_cast<VbBool>(*v)));
}

EditResult PickDscFlag(Records& records, AppState& state, int flag, int index) {
    if (state.loading || !DscFlagEnabled(records, state.modelNumber, flag)) return {};
    const auto v = DscFlagChoices(records, flag).valueAt(index);
    if (!v) return {};
    return Edited(state, StoreField(records.DscFlags[static_cast<std::size_t>(flag)],
                                    static_cast<VbBool>(*v)));
}

FieldCheck CommitUserMmsi(Records& records, AppState& state, std::string_view text) {
    FieldCheck check;
    if (state.loading) {
        check.boxText = MmsiBoxText(records.UserMmsi, MmsiKind::Individual);
        return check;
    }
    const auto stored = StoredMmsi(text, MmsiKind::Individual);
    if (!stored) {
        check.accepted = false;
        check.message = FieldError("User MMSI");
        check.message->text = MmsiErrorText(text, MmsiKind::Individual);
        return check;
    }
    check.result = Edited(state, StoreField(records.UserMmsi, *stored));
    check.result.refill = false;
    check.boxText = MmsiBoxText(records.UserMmsi, MmsiKind::Individual);
    check.warning = IdentityWarning(records, std::string(datafile::kDscBasicSection) + ".User MMSI",
                                    "User MMSI");
    return check;
}

// ---- ATIS setup ------------------------------------------------------------------

AtisPaneView ViewAtisPane(const Records& records, ModelNumber model) {
    AtisPaneView view;
    view.code = records.AtisCode;
    for (std::size_t k = 0; k < 4; ++k) {
        view.chGroup[k] = records.DscFlags[44 + k] != 0;
        view.killer[k] = records.AtisKikkerGroup[k] != 0;
    }
    view.lastGroupCaption = model == 2 ? "LMR" : "EXP";
    for (std::size_t k = 0; k < kCallSigns; ++k) {
        view.mid[k] = records.AtisCallSign[k].MID;
        view.disp[k] = records.AtisCallSign[k].DISP;
    }
    return view;
}

FieldCheck CommitAtisCode(Records& records, AppState& state, std::string_view text) {
    FieldCheck check;
    check.boxText = records.AtisCode;
    if (state.loading) return check;
    const std::string_view trimmed = TrimBlanks(text);
    if (AtisCodeProblem(trimmed)) {
        check.accepted = false;
        check.message = FieldError("ATISNo");
        return check;
    }
    check.result = Edited(state, StoreField(records.AtisCode, std::string(trimmed)));
    check.result.refill = false;
    check.boxText = records.AtisCode;
    check.warning = IdentityWarning(
        records, std::string(datafile::kAtisCommonSection) + ".Atis Code", "ATISNo");
    return check;
}

EditResult SetAtisChGroup(Records& records, AppState& state, int group, bool ticked) {
    if (state.loading || group < 0 || group >= 4) return {};
    return Edited(state, StoreField(records.DscFlags[44 + static_cast<std::size_t>(group)],
                                    ToVbBool(ticked)));
}

EditResult SetAtisKiller(Records& records, AppState& state, int group, bool ticked) {
    if (state.loading || group < 0 || group >= 4 ||
        !ModelKeeps(state.modelNumber, Feature::KikkerGroup))
        return {};
    return Edited(state, StoreField(records.AtisKikkerGroup[static_cast<std::size_t>(group)],
                                    ToVbBool(ticked)));
}

FieldCheck CommitAtisMid(Records& records, AppState& state, int k, std::string_view text) {
    FieldCheck check;
    if (k < 0 || k >= kCallSigns) return check;
    std::string& mid = records.AtisCallSign[static_cast<std::size_t>(k)].MID;
    check.boxText = mid;
    if (state.loading || !TextAccepted(TextBox::AtisMid, TrimBlanks(text))) return check;
    const std::string_view digits = TrimBlanks(text);
    std::string formatted;
    if (!digits.empty()) {
        formatted = std::string(3 - digits.size(), '0') + std::string(digits);
    }
    check.result = Edited(state, StoreField(mid, formatted));
    check.result.refill = false;
    check.boxText = mid;
    return check;
}

EditResult SetAtisDisp(Records& records, AppState& state, int k, std::string_view text) {
    if (state.loading || k < 0 || k >= kCallSigns || !TextAccepted(TextBox::AtisDisp, text))
        return {};
    EditResult result =
        Edited(state, StoreField(records.AtisCallSign[static_cast<std::size_t>(k)].DISP,
                                 std::string(text)));
    result.refill = false;
    return result;
}

} // namespace qb41::editor
