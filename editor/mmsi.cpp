#include "mmsi.h"

#include "files/identity_check.h"
#include "image/value_rules.h"

#include <algorithm>
#include <charconv>

namespace qb41::editor {

int MmsiDigits(MmsiKind kind) {
    return kind == MmsiKind::Individual ? 9 : 8;
}

std::string MmsiBoxText(std::string_view stored, MmsiKind kind) {
    if (kind == MmsiKind::Individual) return std::string(stored.substr(0, 9));
    if (stored.empty()) return {};
    return std::string(stored.substr(1, 8));
}

std::optional<std::string> StoredMmsi(std::string_view typed, MmsiKind kind) {
    const std::string_view text = TrimBlanks(typed);
    if (text.empty()) return std::string();
    if (!AllDigits(text)) return std::nullopt;
    std::string stored;
    if (kind == MmsiKind::Group && text.size() == 8)
        stored = "0" + std::string(text) + "0";
    else if (text.size() == 9)
        stored = std::string(text) + "0";
    else
        return std::nullopt;
    const MmsiForm form = kind == MmsiKind::Individual ? MmsiForm::Individual : MmsiForm::Group;
    if (StoredMmsiProblem(form, stored)) return std::nullopt;
    return stored;
}

bool IsGroupMmsiText(std::string_view typed) {
    const std::string_view text = TrimBlanks(typed);
    return text.size() == 9 && AllDigits(text) && text[0] == '0' && text[1] != '0';
}

std::string MmsiErrorText(std::string_view typed, MmsiKind kind) {
    if (kind == MmsiKind::Individual && IsGroupMmsiText(typed))
        return "Data Error!!\r\nAn MMSI of one 0 and eight digits is a group MMSI; this box "
               "takes an individual MMSI.";
    return "Data Error!!";
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

namespace {

// The stored MMSI of the directory entry an address like "CHMMSID3.Mmsid"
// names; none for any other field.
const std::string* DirectoryMmsi(const Records& records, std::string_view address) {
    const auto entryOf = [address](std::string_view section) -> int {
        if (!address.starts_with(section)) return 0;
        const std::string_view rest = address.substr(section.size());
        int entry = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), entry);
        if (error != std::errc{} || std::string_view(end, rest.data() + rest.size()) != ".Mmsid")
            return 0;
        return entry;
    };
    const auto pick = [](const std::vector<DirectoryRecord>& entries,
                         int entry) -> const std::string* {
        if (entry < 1 || static_cast<std::size_t>(entry) > entries.size()) return nullptr;
        return &entries[static_cast<std::size_t>(entry - 1)].Mmsid;
    };
    if (const int entry = entryOf("CHMMSID")) return pick(records.CHMMSID, entry);
    if (const int entry = entryOf("CHGRPID")) return pick(records.CHGRPID, entry);
    return nullptr;
}

} // namespace

std::optional<Message> IdentityWarning(const Records& records, std::string_view address,
                                       std::string title) {
    const std::string* own = DirectoryMmsi(records, address);
    const std::string_view section = address.substr(0, address.find_first_of("0123456789."));
    std::vector<std::string> lines;
    for (const IdentityFinding& finding : IdentityFindings(records)) {
        bool ours = finding.address == address;
        if (!ours && own && !own->empty() && finding.address.starts_with(section)) {
            const std::string* other = DirectoryMmsi(records, finding.address);
            ours = other && *other == *own;
        }
        if (ours && std::find(lines.begin(), lines.end(), finding.text) == lines.end())
            lines.push_back(finding.text);
    }
    if (lines.empty()) return std::nullopt;
    std::string text = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i) text += "\n" + lines[i];
    return Message{MessageIcon::Warning, std::move(title), std::move(text), MessageButtons::Ok};
}

} // namespace qb41::editor
