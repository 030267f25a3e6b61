#include "field_edit.h"

#include "channel_editor.h"
#include "choice_lists.h"
#include "directory_editor.h"
#include "input_filters.h"
#include "mmsi.h"
#include "settings_panes.h"
#include "weather_pane.h"

#include "files/data_file_keys.h"
#include "files/section_table.h"
#include "report/formatters.h"

#include <charconv>
#include <cstdlib>

namespace qb41::editor {
namespace {

using namespace datafile;

std::optional<long> ParseLong(std::string_view text) {
    text = TrimBlanks(text);
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A flag as the file writes it: "1" or "0".
std::optional<bool> ParseFlag(std::string_view text) {
    const auto n = ParseLong(text);
    if (!n || (*n != 0 && *n != 1)) return std::nullopt;
    return *n == 1;
}

constexpr std::string_view kFlagRule = "a flag is 0 or 1";

// The list entry a file value stands for: the entry storing it, or the entry
// whose stored value the file writes as its absolute value ("1" for -1).
std::optional<int> ChoiceIndex(const ChoiceList& list, std::string_view text) {
    const auto n = ParseLong(text);
    if (!n) return std::nullopt;
    for (std::size_t i = 0; i < list.entries.size(); ++i)
        if (list.entries[i].value == *n) return static_cast<int>(i);
    for (std::size_t i = 0; i < list.entries.size(); ++i)
        if (std::labs(list.entries[i].value) == *n) return static_cast<int>(i);
    return std::nullopt;
}

std::string ChoiceRule(const ChoiceList& list) {
    std::string rule = "one of the list's values:";
    std::size_t shown = 0;
    for (const ChoiceEntry& e : list.entries) {
        if (shown++ == 12) {
            rule += " ...";
            break;
        }
        rule += (shown > 1 ? ", " : " ") + std::to_string(e.value) + " (" + e.text + ")";
    }
    return rule;
}

std::string TextRule(TextBox box) {
    const InputRule& rule = RuleFor(box);
    std::string text = std::string(FocusHint(box));
    text += " (at most " + std::to_string(rule.maxLength) + " characters";
    if (!rule.allowed.empty()) text += " of \"" + std::string(rule.allowed) + "\"";
    return text + ")";
}

std::string MessageRule(const FieldCheck& check) {
    if (!check.message) return "refused";
    std::string text = check.message->text;
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return "\"" + text + "\" (" + check.message->title + ")";
}

using Outcome = std::optional<std::string>; // the rule when refused

// A committed box: refused with its message, or taken (possibly in a stored
// form equal to what the record holds already). Boxes that drop a text their
// validator refuses without a message name that rule.
Outcome FromCheck(const FieldCheck& check, std::string_view value,
                  std::optional<TextBox> box = std::nullopt) {
    if (!check.accepted) return MessageRule(check);
    if (!check.result.changed && box && !TextAccepted(*box, value)) return TextRule(*box);
    return std::nullopt;
}

Outcome FromEdit(const EditResult& result, std::string_view rule) {
    if (result.changed) return std::nullopt;
    return std::string(rule);
}

// The stored form of an MMSI given as stored is given back as typed, so that
// a value copied from `fields` can be set again.
std::string MmsiAsTyped(std::string_view value, MmsiKind kind) {
    const std::string_view trimmed = TrimBlanks(value);
    const std::size_t stored =
        static_cast<std::size_t>(MmsiDigits(kind)) + (kind == MmsiKind::Individual ? 1 : 2);
    if (trimmed.size() == stored && AllDigits(trimmed)) {
        std::string typed = MmsiBoxText(trimmed, kind);
        if (StoredMmsi(typed, kind) == std::string(trimmed)) return typed;
    }
    return std::string(value);
}

// ---- channels ------------------------------------------------------------------

struct ChannelKey {
    std::string_view key;
    ChannelControl control;
    enum Kind { Check, Choice, Pair, Text, Frequency, Fixed } kind;
};

constexpr ChannelKey kChannelKeys[] = {
    {"Enable", ChannelControl::Enable, ChannelKey::Check},
    {"LowPower", ChannelControl::LowPower, ChannelKey::Check},
    {"PowUp", ChannelControl::PowerUp, ChannelKey::Check},
    {"Duplex", ChannelControl::Duplex, ChannelKey::Check},
    {"TxEnable", ChannelControl::TxEnable, ChannelKey::Check},
    {"ScanMemory", ChannelControl::Scan, ChannelKey::Check},
    {"Narrow", ChannelControl::WideNarrow, ChannelKey::Check},
    {"Compander", ChannelControl::Compander, ChannelKey::Check},
    {"Scramble", ChannelControl::Scrambler, ChannelKey::Choice},
    // Both sides in one value, transmit first ("3,108"); the receive control
    // stands for the pair where one control is asked for.
    {"CtcssTone", ChannelControl::RxCtcss, ChannelKey::Pair},
    {"DcsCode", ChannelControl::RxDcs, ChannelKey::Pair},
    {"ChTag", ChannelControl::Name, ChannelKey::Text},
    {"CHDisplayL", ChannelControl::NumberLeft, ChannelKey::Text},
    {"CHDisplayR", ChannelControl::NumberRight, ChannelKey::Text},
    {"Rxfreq", ChannelControl::RxFreq, ChannelKey::Frequency},
    {"Txfreq", ChannelControl::TxFreq, ChannelKey::Frequency},
};

const ChannelKey* FindChannelKey(std::string_view key) {
    for (const ChannelKey& k : kChannelKeys)
        if (k.key == key) return &k;
    return nullptr;
}

// Why the window's control takes no input here.
std::string DisabledRule(const ChannelView& view, const ChannelRecord& rec, ChannelControl c) {
    const ControlState& s = view.state(c);
    if (!s.visible) return "the channel pane has no such control for this model";
    if (!view.enable) return "the channel takes no edits while Enable is 0";
    switch (c) {
    case ChannelControl::TxEnable:
    case ChannelControl::LowPower:
        if (rec.RxOnly) return "the channel is receive only";
        break;
    case ChannelControl::PowerUp:
        return "Power Up takes input only while LowPower is 1";
    case ChannelControl::Duplex:
        return "the channel allows no duplex";
    case ChannelControl::Scan:
        return "channel 70 is never scanned";
    case ChannelControl::Scrambler:
        return "channels 16 and 70 have no scrambler";
    default:
        break;
    }
    return "the control takes no input in this state";
}

// "Tx,Rx" of a CTCSS or DCS pair, transmit side first.
Outcome ApplyTonePair(Records& records, AppState& state, ChannelRef ref, ChannelControl control,
                      std::string_view value) {
    const std::size_t comma = value.find(',');
    if (comma == std::string_view::npos) return "two list values, transmit first: \"0,0\"";
    const ChannelRecord& rec = records.bank(ref.bank).at(static_cast<std::size_t>(ref.index));
    const bool dcs = control == ChannelControl::RxDcs;
    const ChannelControl sides[2] = {dcs ? ChannelControl::TxDcs : ChannelControl::TxCtcss,
                                     control};
    const std::string_view texts[2] = {value.substr(0, comma), value.substr(comma + 1)};
    for (std::size_t side = 0; side < 2; ++side) {
        const ChannelView now = ViewChannel(records, ref, state.modelNumber);
        const ChoiceList& list = dcs ? now.dcs[side] : now.ctcss[side];
        const auto index = ChoiceIndex(list, texts[side]);
        if (!index) return std::string(side == 0 ? "transmit: " : "receive: ") + ChoiceRule(list);
        if (list.selected == index) continue;
        if (!PickChannelChoice(records, state, ref, sides[side], *index).changed)
            return DisabledRule(now, rec, sides[side]);
    }
    return std::nullopt;
}

const ChoiceList& ChoiceListOf(const ChannelView& view, ChannelControl control) {
    return control == ChannelControl::Scrambler ? view.scrambler
           : control == ChannelControl::TxCtcss ? view.ctcss[0]
           : control == ChannelControl::RxCtcss ? view.ctcss[1]
           : control == ChannelControl::TxDcs   ? view.dcs[0]
                                                : view.dcs[1];
}

Outcome ApplyChannel(Records& records, AppState& state, ChannelRef ref, std::string_view key,
                     std::string_view value) {
    const ChannelKey* k = FindChannelKey(key);
    if (!k || (ref.bank != Bank::CHEXP &&
               (k->kind == ChannelKey::Frequency || k->control == ChannelControl::NumberLeft ||
                k->control == ChannelControl::NumberRight)))
        return "fixed: the window does not edit it";
    const ChannelView view = ViewChannel(records, ref, state.modelNumber);
    const ChannelRecord& rec = records.bank(ref.bank).at(static_cast<std::size_t>(ref.index));
    const ControlState& s = view.state(k->control);
    if (k->kind != ChannelKey::Frequency && !(s.visible && s.enabled))
        return DisabledRule(view, rec, k->control);
    switch (k->kind) {
    case ChannelKey::Check: {
        const auto ticked = ParseFlag(value);
        if (!ticked) return std::string(kFlagRule);
        return FromEdit(SetChannelCheck(records, state, ref, k->control, *ticked),
                        DisabledRule(view, rec, k->control));
    }
    case ChannelKey::Choice: {
        const ChoiceList& list = ChoiceListOf(view, k->control);
        const auto index = ChoiceIndex(list, value);
        if (!index) return ChoiceRule(list);
        return FromEdit(PickChannelChoice(records, state, ref, k->control, *index),
                        ChoiceRule(list));
    }
    case ChannelKey::Pair:
        return ApplyTonePair(records, state, ref, k->control, value);
    case ChannelKey::Text: {
        const TextBox box = k->control == ChannelControl::Name ? TextBox::ChannelName
                            : k->control == ChannelControl::NumberLeft
                                ? TextBox::ChannelNumberLeft
                                : TextBox::ChannelNumberRight;
        return FromEdit(SetChannelText(records, state, ref, k->control, value), TextRule(box));
    }
    case ChannelKey::Frequency: {
        if (!view.enable) return std::string("the channel takes no edits while Enable is 0");
        const FreqSide side = k->control == ChannelControl::RxFreq ? FreqSide::Rx : FreqSide::Tx;
        return FromCheck(CommitChannelFrequency(records, state, ref, side, value), value);
    }
    case ChannelKey::Fixed:
        break;
    }
    return "fixed: the window does not edit it";
}

Outcome ApplyWeather(Records& records, AppState& state, int row, std::string_view key,
                     std::string_view value) {
    const bool enabled = records.CHWX.at(static_cast<std::size_t>(row)).Enable != 0;
    if (key == "Enable") {
        const auto ticked = ParseFlag(value);
        if (!ticked) return std::string(kFlagRule);
        return FromEdit(SetWeatherEnable(records, state, row, *ticked), "refused");
    }
    if (!enabled) return "the channel takes no edits while Enable is 0";
    if (key == "ScanMemory") {
        const auto ticked = ParseFlag(value);
        if (!ticked) return std::string(kFlagRule);
        return FromEdit(SetWeatherScan(records, state, row, *ticked), "refused");
    }
    if (key == "ChTag")
        return FromEdit(SetWeatherName(records, state, row, value), TextRule(TextBox::WeatherName));
    return "fixed: the window does not edit it";
}

Outcome ApplyDirectory(Records& records, AppState& state, DirectoryRef ref, std::string_view key,
                       std::string_view value) {
    const DirectoryView view = ViewDirectoryEntry(records, ref);
    // The command line's assignment is the answer to "Are you sure ?" (a delete,
    // or an emptied MMSI).
    struct YesNotifier : Notifier {
        MessageAnswer ask(const Message&) override { return MessageAnswer::Yes; }
    } yes;
    if (key == "Enable") {
        const auto ticked = ParseFlag(value);
        if (!ticked) return std::string(kFlagRule);
        if (*ticked)
            return FromEdit(AddDirectoryEntry(records, state, ref),
                            "only the entry after the last used one can be added, once the "
                            "entry before it holds an MMSI");
        if (!view.remove.enabled) return "the entry is not in use";
        return FromEdit(DeleteDirectoryEntry(records, state, yes, ref), "refused");
    }
    if (!view.fieldsEnabled) return "the entry is not in use: set its Enable to 1 first";
    if (key == "TagName")
        return FromEdit(SetDirectoryName(records, state, ref, value),
                        TextRule(TextBox::DirectoryName));
    if (key == "Mmsid")
        return FromCheck(
            CommitDirectoryMmsi(records, state, yes, ref, MmsiAsTyped(value, ref.kind)), value);
    return "fixed: the window does not edit it";
}

// ---- settings sections ------------------------------------------------------------

std::optional<int> IndexAfter(std::string_view key, std::string_view base, int count) {
    if (!key.starts_with(base)) return std::nullopt;
    const auto n = ParseLong(key.substr(base.size()));
    if (!n || *n < 0 || *n >= count || key.substr(base.size()).starts_with(' '))
        return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<int> GroupIndex(std::string_view key, std::string_view base) {
    const std::string prefix = std::string(base) + " ";
    if (!key.starts_with(prefix)) return std::nullopt;
    const auto n = ParseLong(key.substr(prefix.size()));
    if (!n || *n < 0 || *n >= kUsableGroups) return std::nullopt;
    return static_cast<int>(*n);
}

std::optional<int> ListPosition(std::string_view list, std::string_view key) {
    const std::vector<std::string> keys = SplitList(list);
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return static_cast<int>(i);
    return std::nullopt;
}

Outcome ApplyUsable(Records& records, AppState& state, std::string_view key,
                    std::string_view value) {
    if (const auto g = ListPosition(kGroupUsableKeys, key)) {
        const auto ticked = ParseFlag(value);
        if (!ticked) return std::string(kFlagRule);
        return FromEdit(SetGroupUsable(records, state, *g, *ticked), "refused");
    }
    if (const auto g = GroupIndex(key, "Status name"))
        return FromCheck(CommitStatusName(records, state, *g, value), value, TextBox::StatusName);
    const struct {
        std::string_view base;
        UsableChoice choice;
    } lists[] = {{"TX TOT", UsableChoice::TxTot},
                 {"Priority CH", UsableChoice::Priority},
                 {"Status Icon", UsableChoice::StatusIcon}};
    for (const auto& l : lists) {
        const auto g = GroupIndex(key, l.base);
        if (!g) continue;
        const UsableRowView row =
            ViewUsablePane(records, state.modelNumber)[static_cast<std::size_t>(*g)];
        const ChoiceList& list = l.choice == UsableChoice::TxTot      ? row.txTot
                                 : l.choice == UsableChoice::Priority ? row.priority
                                                                      : row.statusIcon;
        const auto index = ChoiceIndex(list, value);
        if (!index) return ChoiceRule(list);
        return FromEdit(PickGroupChoice(records, state, *g, l.choice, *index),
                        "the list takes no input in this state");
    }
    return "no such field";
}

Outcome ApplyCommon(Records& records, AppState& state, std::string_view key,
                    std::string_view value) {
    constexpr std::string_view keys[kCommonChoices] = {
        "TX Po Display",      "SCAN",       "Resume Time",
        "PTT SCAN Clear",     "Dual Watch", "Offset Time",
        "Magnetic Variation", "Weater",     "Rotary"};
    for (int i = 0; i < kCommonChoices; ++i) {
        if (keys[i] != key) continue;
        const auto choice = static_cast<CommonChoice>(i);
        const CommonPaneView view = ViewCommonPane(records, state.modelNumber);
        if (!view.state(choice).visible || !view.state(choice).enabled)
            return "the common setup pane takes no input for it on this model";
        const auto index = ChoiceIndex(view.list(choice), value);
        if (!index) return ChoiceRule(view.list(choice));
        return FromEdit(PickCommonChoice(records, state, choice, *index), "refused");
    }
    return "no such field";
}

std::optional<int> DscFlagOf(std::string_view key) {
    if (auto i = IndexAfter(key, "PosRequestTX", 4)) return 4 + *i;
    if (auto i = IndexAfter(key, "PosRequest", 4)) return *i;
    if (auto i = IndexAfter(key, "BeepOut", 8)) return 8 + *i;
    for (const CallBlock& block : kCallBlocks) {
        if (auto i = IndexAfter(key, std::string(block.base) + "TX", 4)) return block.tx + *i;
        if (auto i = IndexAfter(key, block.base, 4)) return block.on + *i;
    }
    if (auto i = ListPosition(kDisplayMenuKeys, key)) return kDisplayMenuFirstFlag + *i;
    return std::nullopt;
}

Outcome ApplyDsc(Records& records, AppState& state, std::string_view key, std::string_view value) {
    if (key == "User MMSI")
        return FromCheck(CommitUserMmsi(records, state, MmsiAsTyped(value, MmsiKind::Individual)),
                         value);
    if (const auto g = ListPosition(kDscUsableKeys, key)) {
        const ChoiceList list = OffOnChoices(records.DscUsable[static_cast<std::size_t>(*g)]);
        const auto index = ChoiceIndex(list, value);
        if (!index) return ChoiceRule(list);
        return FromEdit(PickDscUsable(records, state, *g, *index), "refused");
    }
    if (const auto flag = DscFlagOf(key)) {
        if (!DscFlagEnabled(records, state.modelNumber, *flag))
            return "the transmit level takes input only while its call is 1 (On)";
        const ChoiceList list = DscFlagChoices(records, *flag);
        const auto index = ChoiceIndex(list, value);
        if (!index) return ChoiceRule(list);
        return FromEdit(PickDscFlag(records, state, *flag, *index), "refused");
    }
    return "no such field";
}

Outcome ApplyAtis(Records& records, AppState& state, std::string_view key, std::string_view value) {
    if (key == "Atis Code") return FromCheck(CommitAtisCode(records, state, value), value);
    const bool kikker = key.starts_with("Usable ATIS Kikker CH Group");
    if (auto g =
            IndexAfter(key, kikker ? "Usable ATIS Kikker CH Group" : "Usable ATIS CH Group", 4)) {
        const auto ticked = ParseFlag(value);
        if (!ticked) return std::string(kFlagRule);
        return FromEdit(kikker ? SetAtisKiller(records, state, *g, *ticked)
                               : SetAtisChGroup(records, state, *g, *ticked),
                        "refused");
    }
    if (auto n = IndexAfter(key, "MID", kCallSigns + 1); n && *n >= 1)
        return FromCheck(CommitAtisMid(records, state, *n - 1, value), TrimBlanks(value),
                         TextBox::AtisMid);
    if (auto n = IndexAfter(key, "DISP", kCallSigns + 1); n && *n >= 1)
        return FromEdit(SetAtisDisp(records, state, *n - 1, value), TextRule(TextBox::AtisDisp));
    return "no such field";
}

// "CHUSA16" -> CHUSA and 16.
std::optional<std::pair<std::string_view, int>> SplitSection(std::string_view section) {
    const std::size_t digits = section.find_first_of("0123456789");
    if (digits == std::string_view::npos || digits == 0) return std::nullopt;
    const auto n = ParseLong(section.substr(digits));
    if (!n) return std::nullopt;
    return std::pair{section.substr(0, digits), static_cast<int>(*n)};
}

Outcome Apply(Records& records, AppState& state, const FieldValue& field, std::string_view value) {
    const std::string_view section = field.section;
    const std::string_view key = field.key;
    if (section == kUsableGroupSection) return ApplyUsable(records, state, key, value);
    if (section == kCommonSection) return ApplyCommon(records, state, key, value);
    if (section == kDscBasicSection || section == kDscAdvancedSection ||
        section == kDscDisplaySection)
        return ApplyDsc(records, state, key, value);
    if (section == kAtisCommonSection || section == kAtisCallSignSection)
        return ApplyAtis(records, state, key, value);
    if (const auto bank = SplitSection(section)) {
        const auto [name, n] = *bank;
        const struct {
            std::string_view name;
            Bank bank;
        } banks[] = {{"CHUSA", Bank::CHUSA},
                     {"CHINT", Bank::CHINT},
                     {"CHCAN", Bank::CHCAN},
                     {"CHEXP", Bank::CHEXP}};
        for (const auto& b : banks)
            if (b.name == name) return ApplyChannel(records, state, {b.bank, n}, key, value);
        if (name == "CHWX") return ApplyWeather(records, state, n, key, value);
        if (name == "CHMMSID")
            return ApplyDirectory(records, state, {MmsiKind::Individual, n}, key, value);
        if (name == "CHGRPID")
            return ApplyDirectory(records, state, {MmsiKind::Group, n}, key, value);
    }
    return "fixed: the window does not edit it";
}

} // namespace

std::optional<std::string> ApplyFieldValue(Records& records, AppState& state,
                                           const FieldValue& field, std::string_view value) {
    if (field.value == value) return std::nullopt;
    if (value.find_first_of("\r\n") != std::string_view::npos) return "a value holds no line break";
    const bool loading = state.loading;
    state.loading = false; // an edit by the user, never a pane being filled
    Outcome outcome = Apply(records, state, field, value);
    state.loading = loading;
    return outcome;
}

std::optional<std::string> ApplyChangedField(Records& records, AppState& state,
                                             std::string_view section, std::string_view key,
                                             std::string_view value) {
    FieldValue field;
    field.section = std::string(section);
    field.key = std::string(key);
    if (value.find_first_of("\r\n") != std::string_view::npos) return "a value holds no line break";
    const bool loading = state.loading;
    state.loading = false;
    Outcome outcome = Apply(records, state, field, value);
    state.loading = loading;
    return outcome;
}

std::optional<FieldAssignment> ParseAssignment(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return FieldAssignment{std::string(text.substr(0, eq)), std::string(text.substr(eq + 1))};
}

std::optional<FieldRefusal> ApplyFieldEdits(Records& records, AppState& state,
                                            const std::vector<FieldAssignment>& edits) {
    Records copy = records;
    AppState copyState = state;
    for (const FieldAssignment& edit : edits) {
        const FieldList list(copy, copyState.modelNumber, FieldList::Lookups::Few);
        const auto index = list.find(edit.address);
        if (!index)
            return FieldRefusal{edit.address, "no such field for model " +
                                                  std::to_string(copyState.modelNumber) +
                                                  " (qb41-cli fields lists them)"};
        const FieldValue& field = list.fields()[*index];
        if (auto rule = ApplyFieldValue(copy, copyState, field, edit.value))
            return FieldRefusal{field.address(), *rule};
    }
    records = std::move(copy);
    state = std::move(copyState);
    return std::nullopt;
}

} // namespace qb41::editor
