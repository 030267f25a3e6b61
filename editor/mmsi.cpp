#include "mmsi.h"

#include "image/value_rules.h"

#include <algorithm>

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

} // namespace qb41::editor
