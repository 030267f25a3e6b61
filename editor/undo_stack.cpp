#include "undo_stack.h"

#include "files/field_address.h"

#include <array>

namespace qb41::editor {
namespace {

constexpr std::array<Bank, 5> kBanks = {Bank::CHUSA, Bank::CHINT, Bank::CHCAN, Bank::CHWX,
                                        Bank::CHEXP};
constexpr std::array<DirectoryKind, 2> kDirectories = {DirectoryKind::Individual,
                                                       DirectoryKind::Group};

// The records with every list left empty.
Records RestOf(const Records& records) {
    Records rest;
    for (Bank bank : kBanks) rest.bank(bank).clear();
    for (DirectoryKind kind : kDirectories) Directory(rest, kind).clear();
    rest.UsableGroup = records.UsableGroup;
    rest.Common = records.Common;
    rest.DscUsable = records.DscUsable;
    rest.UserMmsi = records.UserMmsi;
    rest.DscFlags = records.DscFlags;
    rest.AtisCode = records.AtisCode;
    rest.AtisKikkerGroup = records.AtisKikkerGroup;
    rest.AtisCallSign = records.AtisCallSign;
    return rest;
}

// The rest taken from `snapshot`, the lists kept.
void PutRest(Records& records, const Records& snapshot) {
    Records merged = snapshot;
    for (Bank bank : kBanks) merged.bank(bank) = std::move(records.bank(bank));
    for (DirectoryKind kind : kDirectories)
        Directory(merged, kind) = std::move(Directory(records, kind));
    records = std::move(merged);
}

const BankWord& WordOf(std::string_view section) {
    for (const BankWord& word : BankWords())
        if (word.section == section) return word;
    return BankWords().front();
}

std::string ChannelName(Bank bank, int index) {
    const BankWord& word = WordOf(BankName(bank));
    return std::string(word.label) + " " + EntryNumber(word, index);
}

std::string EntryName(DirectoryKind kind, int index) {
    const BankWord& word = WordOf(kind == DirectoryKind::Individual ? "CHMMSID" : "CHGRPID");
    return std::string(word.label) + " " + EntryNumber(word, index + 1);
}

// The channel fields that differ, by the names the step texts use.
std::vector<const char*> ChannelFields(const ChannelRecord& a, const ChannelRecord& b) {
    std::vector<const char*> names;
    auto differs = [&](bool d, const char* name) {
        if (d) names.push_back(name);
    };
    differs(a.Enable != b.Enable, "Enable");
    differs(a.ChTag != b.ChTag, "Name");
    differs(a.TxEnable != b.TxEnable, "TX");
    differs(a.LowPower != b.LowPower, "Low Power");
    differs(a.PowUp != b.PowUp, "Power Up");
    differs(a.Duplex != b.Duplex, "Duplex");
    differs(a.ScanMemory != b.ScanMemory, "Scan");
    differs(a.Scramble != b.Scramble, "Scrambler");
    differs(a.Narrow != b.Narrow, "Wide/Narrow");
    differs(a.CtcssTone != b.CtcssTone, "Tone");
    differs(a.DcsCode != b.DcsCode, "DCS");
    differs(a.Compander != b.Compander, "Compander");
    differs(a.CHDisplayL != b.CHDisplayL || a.CHDisplayR != b.CHDisplayR, "CH Number");
    differs(a.Rxfreq != b.Rxfreq, "RX Frequency");
    differs(a.Txfreq != b.Txfreq, "TX Frequency");
    return names;
}

bool TextField(std::string_view name) {
    return name == "Name" || name == "CH Number";
}

std::string DescribeChannel(const RecordsChange::Channel& c) {
    const std::vector<const char*> fields = ChannelFields(c.before, c.after);
    const std::string name = ChannelName(c.bank, c.index);
    if (fields.empty()) return "Change " + name;
    const std::string_view first = fields.front();
    if (first == "Enable") return (c.after.Enable ? "Enable " : "Disable ") + name;
    if (first == "Name" && fields.size() == 1) return "Rename " + name;
    return "Change " + name + " " + fields.front();
}

std::string DescribeEntries(const std::vector<RecordsChange::Entry>& entries) {
    const RecordsChange::Entry& first = entries.front();
    const std::string name = EntryName(first.kind, first.index);
    const bool wasUsed = first.before.Enable != 0 || !first.before.Mmsid.empty();
    const bool isUsed = first.after.Enable != 0 || !first.after.Mmsid.empty();
    if (wasUsed && (!isUsed || entries.size() > 1)) return "Delete " + name;
    if (!wasUsed && isUsed) return "Add " + name;
    if (first.before.TagName != first.after.TagName && first.before.Mmsid == first.after.Mmsid)
        return "Rename " + name;
    return "Change " + name + " MMSI";
}

std::string DescribeRest(const Records& a, const Records& b) {
    if (a.UsableGroup != b.UsableGroup) return "Change Usable Group";
    if (a.Common != b.Common) return "Change Common Setup";
    if (a.DscUsable != b.DscUsable || a.UserMmsi != b.UserMmsi || a.DscFlags != b.DscFlags)
        return "Change DSC Setup";
    return "Change ATIS Setup";
}

// The text field a change of one typed box touches, or empty.
std::string MergeKey(const RecordsChange& change) {
    const std::size_t parts =
        change.channels.size() + change.entries.size() + (change.rest ? 1 : 0);
    if (parts != 1) return {};
    if (!change.channels.empty()) {
        const auto& c = change.channels.front();
        const auto fields = ChannelFields(c.before, c.after);
        if (fields.size() != 1 || !TextField(fields.front())) return {};
        return "C" + std::to_string(static_cast<int>(c.bank)) + "." + std::to_string(c.index) +
               "." + fields.front();
    }
    if (!change.entries.empty()) {
        const auto& e = change.entries.front();
        if (e.before.Enable != e.after.Enable || e.before.Mmsid != e.after.Mmsid) return {};
        return "D" + std::to_string(static_cast<int>(e.kind)) + "." + std::to_string(e.index);
    }
    const Records& a = change.rest->first;
    const Records& b = change.rest->second;
    std::string key;
    int texts = 0;
    auto text = [&](bool differs, std::string name) {
        if (!differs) return;
        ++texts;
        key = std::move(name);
    };
    text(a.UserMmsi != b.UserMmsi, "UserMmsi");
    text(a.AtisCode != b.AtisCode, "AtisCode");
    for (std::size_t g = 0; g < a.UsableGroup.size(); ++g)
        text(a.UsableGroup[g].StatusName != b.UsableGroup[g].StatusName,
             "Status" + std::to_string(g));
    for (std::size_t i = 0; i < a.AtisCallSign.size(); ++i) {
        text(a.AtisCallSign[i].MID != b.AtisCallSign[i].MID, "MID" + std::to_string(i));
        text(a.AtisCallSign[i].DISP != b.AtisCallSign[i].DISP, "DISP" + std::to_string(i));
    }
    Records untyped = b;
    untyped.UserMmsi = a.UserMmsi;
    untyped.AtisCode = a.AtisCode;
    for (std::size_t g = 0; g < a.UsableGroup.size(); ++g)
        untyped.UsableGroup[g].StatusName = a.UsableGroup[g].StatusName;
    untyped.AtisCallSign = a.AtisCallSign;
    if (texts != 1 || !(untyped == a)) return {};
    return "R" + key;
}

} // namespace

RecordsChange DiffRecords(const Records& before, const Records& after) {
    RecordsChange change;
    for (Bank bank : kBanks) {
        const auto& a = before.bank(bank);
        const auto& b = after.bank(bank);
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (!(a[i] == b[i])) change.channels.push_back({bank, static_cast<int>(i), a[i], b[i]});
    }
    for (DirectoryKind kind : kDirectories) {
        const auto& a = Directory(before, kind);
        const auto& b = Directory(after, kind);
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            if (!(a[i] == b[i])) change.entries.push_back({kind, static_cast<int>(i), a[i], b[i]});
    }
    Records restBefore = RestOf(before);
    Records restAfter = RestOf(after);
    if (!(restBefore == restAfter))
        change.rest.emplace(std::move(restBefore), std::move(restAfter));
    return change;
}

void ApplyChange(Records& records, const RecordsChange& change, bool forward) {
    for (const auto& c : change.channels)
        records.bank(c.bank).at(static_cast<std::size_t>(c.index)) = forward ? c.after : c.before;
    for (const auto& e : change.entries)
        Directory(records, e.kind).at(static_cast<std::size_t>(e.index)) =
            forward ? e.after : e.before;
    if (change.rest) PutRest(records, forward ? change.rest->second : change.rest->first);
}

std::string DescribeChange(const RecordsChange& change) {
    if (change.channels.size() == 1 && change.entries.empty() && !change.rest)
        return DescribeChannel(change.channels.front());
    if (!change.entries.empty() && change.channels.empty() && !change.rest) {
        bool oneKind = true;
        for (const auto& e : change.entries) oneKind = oneKind && e.kind == change.entries[0].kind;
        if (oneKind) return DescribeEntries(change.entries);
    }
    if (change.rest && change.channels.empty() && change.entries.empty())
        return DescribeRest(change.rest->first, change.rest->second);
    if (!change.channels.empty() && change.entries.empty() && !change.rest)
        return "Edit " + std::to_string(change.channels.size()) + " channels";
    return "Edit";
}

void UndoStack::Reset(const Records& records, ModelNumber model) {
    steps_.clear();
    index_ = 0;
    clean_ = 0;
    known_ = records;
    model_ = model;
    mergeOpen_ = false;
}

bool UndoStack::Push(RecordsChange change, std::string text, bool mayMerge) {
    if (change.empty()) return false;
    std::string key = mayMerge ? MergeKey(change) : std::string();
    // A step after the clean one that is merged into would move the saved
    // state: it is never merged into.
    const bool topIsClean = clean_ && *clean_ == index_;
    if (!key.empty() && mergeOpen_ && index_ > 0 && index_ == steps_.size() && !topIsClean &&
        steps_.back().mergeKey == key) {
        Step& top = steps_.back();
        for (auto& c : top.change.channels) c.after = change.channels.front().after;
        for (auto& e : top.change.entries) e.after = change.entries.front().after;
        if (top.change.rest) top.change.rest->second = std::move(change.rest->second);
        return true;
    }
    if (clean_ && *clean_ > index_) clean_.reset();
    steps_.resize(index_);
    if (text.empty()) text = DescribeChange(change);
    steps_.push_back({std::move(change), std::move(text), key});
    ++index_;
    mergeOpen_ = !key.empty();
    return true;
}

bool UndoStack::Record(const Records& records, AppState& state, std::string text) {
    const bool pushed = Push(DiffRecords(known_, records), std::move(text), false);
    if (pushed) known_ = records;
    mergeOpen_ = false;
    PublishFlag(state);
    return pushed;
}

void UndoStack::Sync(const Records& records, AppState& state) {
    if (state.modelNumber != model_) {
        Reset(records, state.modelNumber);
        return;
    }
    if (records == known_) {
        if (!state.dataChanged && !isClean()) {
            clean_ = index_; // saved
            mergeOpen_ = false;
        } else if (state.dataChanged && isClean()) {
            clean_.reset(); // marked as changed by something the stack cannot undo
        }
        return;
    }
    if (!state.dataChanged) {
        Reset(records, state.modelNumber); // replaced, not edited
        return;
    }
    if (Push(DiffRecords(known_, records), {}, true)) known_ = records;
    PublishFlag(state);
}

bool UndoStack::Undo(Records& records, AppState& state) {
    if (!canUndo()) return false;
    --index_;
    ApplyChange(records, steps_[index_].change, false);
    ApplyChange(known_, steps_[index_].change, false);
    mergeOpen_ = false;
    PublishFlag(state);
    return true;
}

bool UndoStack::Redo(Records& records, AppState& state) {
    if (!canRedo()) return false;
    ApplyChange(records, steps_[index_].change, true);
    ApplyChange(known_, steps_[index_].change, true);
    ++index_;
    mergeOpen_ = false;
    PublishFlag(state);
    return true;
}

std::string UndoStack::undoText() const {
    return canUndo() ? "Undo " + steps_[index_ - 1].text : "Undo";
}

std::string UndoStack::redoText() const {
    return canRedo() ? "Redo " + steps_[index_].text : "Redo";
}

void UndoStack::SetClean(AppState& state) {
    clean_ = index_;
    mergeOpen_ = false;
    PublishFlag(state);
}

} // namespace qb41::editor
