#include "directory_editor.h"

#include "input_filters.h"

#include <charconv>

namespace qb41::editor {
namespace {

std::vector<DirectoryRecord>& Directory(Records& records, MmsiKind kind) {
    return kind == MmsiKind::Individual ? records.CHMMSID : records.CHGRPID;
}

const std::vector<DirectoryRecord>& Directory(const Records& records, MmsiKind kind) {
    return kind == MmsiKind::Individual ? records.CHMMSID : records.CHGRPID;
}

bool Used(const DirectoryRecord& entry) {
    return entry.Enable != 0 || !entry.Mmsid.empty();
}

// Entry n is removed; the later entries move up and the last is cleared.
void CloseGap(std::vector<DirectoryRecord>& directory, int entry) {
    const auto first = static_cast<std::size_t>(entry - 1);
    for (std::size_t i = first; i + 1 < directory.size(); ++i) directory[i] = directory[i + 1];
    if (!directory.empty()) directory.back() = DirectoryRecord{};
}

// The question before an entry goes (Delete ticked, or its MMSI cleared).
bool DeleteConfirmed(const AppState& state, Notifier& notifier) {
    return notifier.ask(Message{MessageIcon::Critical, state.windowTitle, "Are you sure ?",
                                MessageButtons::YesNo}) == MessageAnswer::Yes;
}

EditResult Removed(AppState& state) {
    EditResult result;
    result.changed = true;
    result.refill = true;
    result.directoryTexts = true;
    state.dataChanged = true;
    return result;
}

} // namespace

std::optional<DirectoryRef> DirectoryFromKey(std::string_view key, const Records& records) {
    DirectoryRef ref;
    if (key.starts_with("SM"))
        ref.kind = MmsiKind::Individual;
    else if (key.starts_with("SG"))
        ref.kind = MmsiKind::Group;
    else
        return std::nullopt;
    const std::string_view digits = key.substr(2);
    if (digits.empty() || digits.size() > 3 || !AllDigits(digits)) return std::nullopt;
    std::from_chars(digits.data(), digits.data() + digits.size(), ref.entry);
    if (ref.entry < 1 || ref.entry > static_cast<int>(Directory(records, ref.kind).size()))
        return std::nullopt;
    return ref;
}

int UsedEntries(const Records& records, MmsiKind kind) {
    int count = 0;
    for (const DirectoryRecord& entry : Directory(records, kind)) {
        if (!Used(entry)) break;
        ++count;
    }
    return count;
}

DirectoryView ViewDirectoryEntry(const Records& records, DirectoryRef ref) {
    const auto& directory = Directory(records, ref.kind);
    const DirectoryRecord& entry = directory.at(static_cast<std::size_t>(ref.entry - 1));
    const int used = UsedEntries(records, ref.kind);
    DirectoryView view;
    const bool individual = ref.kind == MmsiKind::Individual;
    view.nameLabel = individual ? "Station Name" : "Group Name";
    view.name = entry.TagName;
    view.mmsi = MmsiBoxText(entry.Mmsid, ref.kind);
    view.mmsiMaxLength =
        RuleFor(individual ? TextBox::IndividualMmsi : TextBox::GroupMmsi).maxLength;
    view.helpMmsi = individual ? 2308 : 2309;
    if (ref.entry <= used) {
        view.addTicked = true;
        view.add.enabled = false;
        view.remove.enabled = true;
        view.fieldsEnabled = true;
    } else {
        const bool next = ref.entry == used + 1;
        const bool previousHasMmsi =
            ref.entry == 1 || !directory[static_cast<std::size_t>(ref.entry - 2)].Mmsid.empty();
        view.add.enabled = next && previousHasMmsi;
        view.deleteTicked = true;
        view.remove.enabled = false;
    }
    return view;
}

EditResult AddDirectoryEntry(Records& records, AppState& state, DirectoryRef ref) {
    if (state.loading || !ViewDirectoryEntry(records, ref).add.enabled) return {};
    Directory(records, ref.kind)[static_cast<std::size_t>(ref.entry - 1)].Enable = kTrue;
    state.dataChanged = true;
    EditResult result;
    result.changed = true;
    result.refill = true;
    result.nodeTextChanged = true;
    return result;
}

EditResult DeleteDirectoryEntry(Records& records, AppState& state, Notifier& notifier,
                                DirectoryRef ref) {
    if (state.loading || !ViewDirectoryEntry(records, ref).remove.enabled) return {};
    if (!DeleteConfirmed(state, notifier)) {
        EditResult result;
        result.refill = true;
        return result;
    }
    CloseGap(Directory(records, ref.kind), ref.entry);
    return Removed(state);
}

EditResult SetDirectoryName(Records& records, AppState& state, DirectoryRef ref,
                            std::string_view text) {
    if (state.loading || !ViewDirectoryEntry(records, ref).fieldsEnabled) return {};
    if (!TextAccepted(TextBox::DirectoryName, text)) return {};
    std::string& name =
        Directory(records, ref.kind)[static_cast<std::size_t>(ref.entry - 1)].TagName;
    if (name == text) return {};
    name = std::string(text);
    state.dataChanged = true;
    EditResult result;
    result.changed = true;
    return result;
}

FieldCheck CommitDirectoryMmsi(Records& records, AppState& state, Notifier& notifier,
                               DirectoryRef ref, std::string_view text) {
    FieldCheck check;
    const DirectoryView view = ViewDirectoryEntry(records, ref);
    if (state.loading || !view.fieldsEnabled) {
        check.boxText = view.mmsi;
        return check;
    }
    const auto stored = StoredMmsi(text, ref.kind);
    if (!stored) {
        check.accepted = false;
        check.message = Message{MessageIcon::Warning,
                                ref.kind == MmsiKind::Individual ? "Individual Directory MMSI"
                                                                 : "Group Directory MMSI",
                                MmsiErrorText(text, ref.kind), MessageButtons::Ok};
        return check;
    }
    auto& directory = Directory(records, ref.kind);
    DirectoryRecord& entry = directory[static_cast<std::size_t>(ref.entry - 1)];
    if (stored->empty()) {
        if (!DeleteConfirmed(state, notifier)) {
            check.boxText = view.mmsi;
            return check;
        }
        CloseGap(directory, ref.entry);
        check.result = Removed(state);
    } else if (entry.Mmsid != *stored) {
        entry.Mmsid = *stored;
        state.dataChanged = true;
        check.result.changed = true;
        check.result.refill = true; // the next entry may now be added
    }
    check.boxText = MmsiBoxText(directory[static_cast<std::size_t>(ref.entry - 1)].Mmsid, ref.kind);
    if (!stored->empty())
        check.warning =
            IdentityWarning(records,
                            (ref.kind == MmsiKind::Individual ? "CHMMSID" : "CHGRPID") +
                                std::to_string(ref.entry) + ".Mmsid",
                            ref.kind == MmsiKind::Individual ? "Individual Directory MMSI"
                                                             : "Group Directory MMSI");
    return check;
}

} // namespace qb41::editor
