#include "input_filters.h"

#include "image/value_rules.h"

#include <array>

namespace qb41::editor {
namespace {

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kFrequency = "0123456789.";

struct BoxEntry {
    InputRule rule;
    std::string_view hint;
};

InputRule Stored(TextField field) {
    const TextRule& rule = RuleOf(field);
    return {rule.allowed, rule.maxLength};
}

// Indexed by TextBox. The boxes of stored texts take exactly what the value
// rule of their field allows. A group MMSI is typed as its 8 digits or in
// full, 9 digits beginning with 0.
const std::array<BoxEntry, 14>& Boxes() {
    static const std::array<BoxEntry, 14> boxes{{
        {Stored(TextField::DisplayLeft), "Indispensable 2 figures."},
        {Stored(TextField::DisplayRight), "Indispensable 1 figures."},
        {{kFrequency, 8}, "Rx frequency"},
        {{kFrequency, 8}, "Tx frequency"},
        {Stored(TextField::ChannelName), "A maximum of 12 characters"},
        {Stored(TextField::ChannelName), "A maximum of 12 characters"},
        {Stored(TextField::StatusName), "max 4 charactors."},
        {{kDigits, 9}, "Numeric Only. Indispensable 9 figures."},
        {{kDigits, 10}, "Numeric Only. Indispensable 10 figures."},
        {Stored(TextField::CallSignMid), "Numeric Only. Indispensable 3 figures."},
        {Stored(TextField::CallSignDisp), "Indispensable 3 figures."},
        {Stored(TextField::DirectoryName), "A maximum of 10 characters."},
        {{kDigits, 9}, "Numeric Only. Indispensable 9 figures."},
        {{kDigits, 9}, "Numeric Only. Indispensable 9 figures."},
    }};
    return boxes;
}

const BoxEntry& Entry(TextBox box) {
    return Boxes().at(static_cast<std::size_t>(box));
}

bool CharAccepted(const InputRule& rule, char c) {
    if (rule.allowed.empty()) return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    return rule.allowed.find(c) != std::string_view::npos;
}

} // namespace

const InputRule& RuleFor(TextBox box) {
    return Entry(box).rule;
}

bool KeyAccepted(TextBox box, char key) {
    return key == kBackspace || CharAccepted(RuleFor(box), key);
}

bool TextAccepted(TextBox box, std::string_view text) {
    const InputRule& rule = RuleFor(box);
    if (text.size() > static_cast<std::size_t>(rule.maxLength)) return false;
    for (char c : text)
        if (!CharAccepted(rule, c)) return false;
    return true;
}

std::string_view FocusHint(TextBox box) {
    return Entry(box).hint;
}

} // namespace qb41::editor
