#include "input_filters.h"

#include <array>

namespace qb41::editor {
namespace {

constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kAlnum =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// Digits and the letters a seven-segment channel display can draw.
constexpr std::string_view kChannelNumber = "0123456789AbCdEFHLnPtU";
constexpr std::string_view kFrequency = "0123456789.";
constexpr std::string_view kNameText =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-/*()+., ";
constexpr std::string_view kStatusName =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-+().*/ ";

struct BoxEntry {
    InputRule rule;
    std::string_view hint;
};

// Indexed by TextBox. The directory name takes the 11 characters its record
// holds, so that no stored name is cut when it is shown.
constexpr std::array<BoxEntry, 14> kBoxes{{
    {{kChannelNumber, 2}, "Indispensable 2 figures."},
    {{kChannelNumber, 1}, "Indispensable 1 figures."},
    {{kFrequency, 8}, "Rx frequency"},
    {{kFrequency, 8}, "Tx frequency"},
    {{kNameText, 12}, "A maximum of 12 characters"},
    {{"", 12}, "A maximum of 12 characters"},
    {{kStatusName, 4}, "max 4 charactors."},
    {{kDigits, 9}, "Numeric Only. Indispensable 9 figures."},
    {{kDigits, 10}, "Numeric Only. Indispensable 10 figures."},
    {{kDigits, 3}, "Numeric Only. Indispensable 3 figures."},
    {{kAlnum, 3}, "Indispensable 3 figures."},
    {{kNameText, 11}, "A maximum of 10 characters."},
    {{kDigits, 9}, "Numeric Only. Indispensable 9 figures."},
    {{kDigits, 8}, "Numeric Only. Indispensable 9 figures."},
}};

const BoxEntry& Entry(TextBox box) {
    return kBoxes.at(static_cast<std::size_t>(box));
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
