#include "channel_editor.h"

#include "input_filters.h"
#include "mmsi.h"

#include "core/master_table.h"
#include "image/defaults.h"
#include "report/formatters.h"

#include <charconv>

namespace qb41::editor {
namespace {

constexpr int kDistressRow = 32; // channel 16: no scrambler
constexpr int kDscRow = 140;     // channel 70: no scrambler, no scan

bool IsPlanBank(Bank bank) {
    return bank == Bank::CHUSA || bank == Bank::CHINT || bank == Bank::CHCAN;
}

std::optional<int> ParseIndex(std::string_view digits) {
    if (digits.empty() || digits.size() > 4 || !AllDigits(digits)) return std::nullopt;
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

ChannelRecord& Record(Records& records, ChannelRef ref) {
    return records.bank(ref.bank).at(static_cast<std::size_t>(ref.index));
}

const ChannelRecord& Record(const Records& records, ChannelRef ref) {
    return records.bank(ref.bank).at(static_cast<std::size_t>(ref.index));
}

// The master row a plan record stands for.
const MasterChannelRow& MasterRow(const ChannelRecord& rec, ChannelRef ref) {
    const auto& master = MasterTable();
    const int row = rec.Position >= 0 && rec.Position < static_cast<int>(master.size())
                        ? rec.Position
                        : ref.index;
    return master.at(static_cast<std::size_t>(row));
}

int MasterRowIndex(const ChannelRecord& rec, ChannelRef ref) {
    const int rows = static_cast<int>(MasterTable().size());
    return rec.Position >= 0 && rec.Position < rows ? rec.Position : ref.index;
}

std::string ExpFreqShown(double f) {
    return ExpFreqText(f); // as stored: showing a value never rewrites the record
}

void FillPlanTexts(ChannelView& view, const ChannelRecord& rec, const MasterChannelRow& row) {
    const ChannelNumberText number = PlanChannelNumber(row.text);
    view.numberLeft = number.left;
    view.numberRight = number.right;
    view.rxText = FreqText(rec.Duplex ? row.rxDuplex : row.rxSimplex);
    view.txText = TxFreqText(row.txFreq, rec.RxOnly != 0);
}

void FillExportTexts(ChannelView& view, const ChannelRecord& rec) {
    view.numberLeft = rec.CHDisplayL.substr(0, 2);
    view.numberRight =
        rec.CHDisplayR.empty() ? std::string() : rec.CHDisplayR.substr(rec.CHDisplayR.size() - 1);
    view.rxText = ExpFreqShown(rec.Rxfreq);
    view.txText = ExpFreqShown(rec.Txfreq);
}

// The CH Enable, Tx Enable and Low Power Only rules, and the fixed exceptions.
void ApplyEnableRules(ChannelView& view, const ChannelRecord& rec, ChannelRef ref,
                      ModelNumber model) {
    const bool plan = !view.exportChannel;
    const bool on = view.enable;
    for (ControlState& c : view.controls) c.enabled = on;
    view.state(ChannelControl::Enable).enabled = true;

    view.state(ChannelControl::TxEnable).visible = plan;
    view.state(ChannelControl::Duplex).visible = plan;
    view.state(ChannelControl::Name).visible = StoresChannelNames(model);
    view.state(ChannelControl::Scrambler).visible = model != 3;
    const bool tones = !plan && HasExpTones(model);
    for (auto c : {ChannelControl::WideNarrow, ChannelControl::TxCtcss, ChannelControl::RxCtcss,
                   ChannelControl::TxDcs, ChannelControl::RxDcs, ChannelControl::Compander})
        view.state(c) = {tones, on && tones, {}};

    if (plan && rec.RxOnly) view.state(ChannelControl::TxEnable).enabled = false;
    view.state(ChannelControl::Duplex).enabled = on && rec.DuplexAllowed != 0;
    const bool lowPowerEnabled = view.state(ChannelControl::TxEnable).enabled;
    view.state(ChannelControl::LowPower).enabled = lowPowerEnabled;
    view.state(ChannelControl::PowerUp).enabled = lowPowerEnabled && view.lowPower;
    // The compander follows the receive DCS list.
    view.state(ChannelControl::Compander).enabled = view.state(ChannelControl::RxDcs).enabled;

    if (plan) {
        const int row = MasterRowIndex(rec, ref);
        if (row == kDscRow) view.state(ChannelControl::Scan).enabled = false;
        if (row == kDscRow || row == kDistressRow)
            view.state(ChannelControl::Scrambler).enabled = false;
    }
    view.lineTxOnly = view.state(ChannelControl::LowPower).enabled;
    view.lineTxPower = view.state(ChannelControl::PowerUp).enabled;
    view.lineTone = view.state(ChannelControl::TxCtcss).enabled;
}

bool Accepts(const ChannelView& view, ChannelControl control) {
    const ControlState& s = view.state(control);
    return s.visible && s.enabled;
}

} // namespace

std::optional<ChannelRef> ChannelFromKey(std::string_view key, const Records& records) {
    ChannelRef ref;
    std::optional<int> index;
    if (key.starts_with("PU") || key.starts_with("PI") || key.starts_with("PC")) {
        ref.bank = key[1] == 'U' ? Bank::CHUSA : key[1] == 'I' ? Bank::CHINT : Bank::CHCAN;
        index = ParseIndex(key.substr(2));
    } else if (key.starts_with("E")) {
        ref.bank = Bank::CHEXP;
        index = ParseIndex(key.substr(1));
        if (index) *index -= 1;
    }
    if (!index || *index < 0 || *index >= static_cast<int>(records.bank(ref.bank).size()))
        return std::nullopt;
    ref.index = *index;
    return ref;
}

std::string ShortChannelNumber(int n) {
    if (n < 0) return std::to_string(n);
    if (n < 10) return "0" + std::to_string(n);
    if (n < 100) return std::to_string(n);
    if (n < 110) return std::to_string(n - 100) + "o";
    return "'" + std::to_string(n - 110);
}

ChannelNumberText PlanChannelNumber(std::string_view displayText) {
    const auto a = displayText.find_first_of("Aa");
    const std::string_view number = displayText.substr(0, a);
    ChannelNumberText result;
    if (const auto n = ParseIndex(number))
        result.left = ShortChannelNumber(*n);
    else
        result.left = std::string(number.substr(0, 2));
    if (a != std::string_view::npos) result.right = std::string(displayText.substr(a, 10));
    return result;
}

ChannelView ViewChannel(const Records& records, ChannelRef ref, ModelNumber model) {
    const ChannelRecord& rec = Record(records, ref);
    ChannelView view;
    view.exportChannel = !IsPlanBank(ref.bank);
    if (view.exportChannel)
        FillExportTexts(view, rec);
    else
        FillPlanTexts(view, rec, MasterRow(rec, ref));
    view.enable = rec.Enable != 0;
    view.txEnable = rec.TxEnable != 0 && rec.RxOnly == 0;
    view.lowPower = rec.LowPower != 0;
    view.powerUp = rec.PowUp != 0;
    view.duplex = rec.Duplex != 0;
    view.scan = rec.ScanMemory != 0;
    view.narrow = rec.Narrow != 0;
    view.compander = rec.Compander != 0;
    view.name = rec.ChTag;
    view.scrambler = ScramblerChoices(rec.Scramble);
    for (std::size_t k = 0; k < 2; ++k) {
        view.ctcss[k] = CtcssChoices(rec.CtcssTone[k]);
        view.dcs[k] = DcsChoices(rec.DcsCode[k]);
    }
    ApplyEnableRules(view, rec, ref, model);
    return view;
}

int ChannelHelpContext(ChannelControl control, bool exportChannel) {
    switch (control) {
    case ChannelControl::NumberLeft:
    case ChannelControl::NumberRight:
        return exportChannel ? 2501 : 0;
    case ChannelControl::RxFreq:
        return exportChannel ? 2502 : 0;
    case ChannelControl::TxFreq:
        return exportChannel ? 2503 : 0;
    case ChannelControl::Enable:
        return 1028;
    case ChannelControl::TxEnable:
        return 1029;
    case ChannelControl::Duplex:
        return 1030;
    case ChannelControl::LowPower:
        return 1031;
    case ChannelControl::PowerUp:
        return 1032;
    case ChannelControl::Scan:
        return 1033;
    case ChannelControl::Name:
        return 1034;
    case ChannelControl::Scrambler:
        return 1064;
    default:
        return 0;
    }
}

EditResult SetChannelCheck(Records& records, AppState& state, ChannelRef ref,
                           ChannelControl control, bool ticked) {
    if (state.loading) return {};
    const ChannelView view = ViewChannel(records, ref, state.modelNumber);
    if (!Accepts(view, control)) return {};
    ChannelRecord& rec = Record(records, ref);
    const VbBool value = ToVbBool(ticked);
    bool changed = false;
    switch (control) {
    case ChannelControl::Enable: {
        EditResult result = Edited(state, StoreField(rec.Enable, value));
        result.nodeTextChanged = result.changed;
        return result;
    }
    case ChannelControl::TxEnable:
        changed = StoreField(rec.TxEnable, value);
        break;
    case ChannelControl::LowPower:
        // The record takes both boxes of the transmit frame as shown.
        changed = StoreField(rec.LowPower, value);
        changed = StoreField(rec.TxEnable, ToVbBool(view.txEnable)) || changed;
        break;
    case ChannelControl::PowerUp:
        changed = StoreField(rec.PowUp, value);
        break;
    case ChannelControl::Duplex:
        changed = StoreField(rec.Duplex, value);
        break;
    case ChannelControl::Scan:
        changed = StoreField(rec.ScanMemory, value);
        break;
    case ChannelControl::Compander:
        changed = StoreField(rec.Compander, value);
        break;
    case ChannelControl::WideNarrow:
        changed = StoreField(rec.Narrow, value);
        break;
    default:
        break;
    }
    return Edited(state, changed);
}

EditResult PickChannelChoice(Records& records, AppState& state, ChannelRef ref,
                             ChannelControl control, int index) {
    if (state.loading) return {};
    const ChannelView view = ViewChannel(records, ref, state.modelNumber);
    if (!Accepts(view, control)) return {};
    ChannelRecord& rec = Record(records, ref);
    const std::size_t side =
        control == ChannelControl::RxCtcss || control == ChannelControl::RxDcs ? 1 : 0;
    bool changed = false;
    switch (control) {
    case ChannelControl::Scrambler:
        if (const auto v = view.scrambler.valueAt(index))
            changed = StoreField(rec.Scramble, static_cast<std::int16_t>(*v));
        break;
    case ChannelControl::TxCtcss:
    case ChannelControl::RxCtcss:
        if (const auto v = view.ctcss[side].valueAt(index)) {
            changed = StoreField(rec.CtcssTone[side], static_cast<std::int16_t>(*v));
            if (*v != 0) changed = StoreField(rec.DcsCode[side], std::int16_t{0}) || changed;
        }
        break;
    case ChannelControl::TxDcs:
    case ChannelControl::RxDcs:
        if (const auto v = view.dcs[side].valueAt(index)) {
            changed = StoreField(rec.DcsCode[side], static_cast<std::int16_t>(*v));
            if (*v != 0) changed = StoreField(rec.CtcssTone[side], std::int16_t{0}) || changed;
        }
        break;
    default:
        break;
    }
    return Edited(state, changed);
}

EditResult SetChannelText(Records& records, AppState& state, ChannelRef ref, ChannelControl control,
                          std::string_view text) {
    if (state.loading) return {};
    const ChannelView view = ViewChannel(records, ref, state.modelNumber);
    if (!Accepts(view, control)) return {};
    ChannelRecord& rec = Record(records, ref);
    bool changed = false;
    switch (control) {
    case ChannelControl::Name:
        if (TextAccepted(TextBox::ChannelName, text))
            changed = StoreField(rec.ChTag, std::string(text));
        break;
    case ChannelControl::NumberLeft:
        if (view.exportChannel && TextAccepted(TextBox::ChannelNumberLeft, text))
            changed = StoreField(rec.CHDisplayL, std::string(text));
        break;
    case ChannelControl::NumberRight:
        if (view.exportChannel && TextAccepted(TextBox::ChannelNumberRight, text))
            changed = StoreField(rec.CHDisplayR, std::string(text));
        break;
    default:
        break;
    }
    EditResult result = Edited(state, changed);
    result.refill = false; // the box already shows what was typed
    return result;
}

FieldCheck CommitChannelFrequency(Records& records, AppState& state, ChannelRef ref, FreqSide side,
                                  std::string_view text) {
    FieldCheck check;
    const bool exportChannel = !IsPlanBank(ref.bank);
    ChannelRecord& rec = Record(records, ref);
    double& field = side == FreqSide::Rx ? rec.Rxfreq : rec.Txfreq;
    if (!exportChannel || state.loading) {
        check.boxText = std::string(text);
        return check;
    }
    const auto value = ParseFrequencyEntry(text);
    if (!value) {
        check.accepted = false;
        check.message = FrequencyError(side);
        return check;
    }
    check.result = Edited(state, StoreField(field, *value));
    check.boxText = ExpFreqShown(field);
    return check;
}

std::optional<Message> CheckChannelComplete(const Records& records, ChannelRef ref,
                                            const std::string& windowTitle) {
    if (IsPlanBank(ref.bank)) return std::nullopt;
    const ChannelRecord& rec = Record(records, ref);
    if (!rec.Enable) return std::nullopt;
    if (rec.Rxfreq > 0 && rec.CHDisplayL.size() >= 2) return std::nullopt;
    return Message{MessageIcon::Warning, windowTitle, "Data Error!!\r\nPlease input correct data.",
                   MessageButtons::Ok};
}

} // namespace qb41::editor
