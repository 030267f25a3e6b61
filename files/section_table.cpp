#include "section_table.h"

#include <algorithm>

namespace qb41 {
namespace {

// Hands out the lines of a text one by one; a line ends at CR LF, LF or CR.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool atEnd() const { return position_ >= text_.size(); }
    std::string_view next() {
        std::size_t start = position_;
        std::size_t end = start;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
        if (end == text_.size()) {
            position_ = end;
            return text_.substr(start);
        }
        position_ = end + 1;
        if (text_[end] == '\r' && position_ < text_.size() && text_[position_] == '\n') ++position_;
        return text_.substr(start, end - start);
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
    while (!text.empty() && IsBlankOrTab(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrTab(text.back())) text.remove_suffix(1);
    return text;
}

char UpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// `upper` equals `text` upper-cased.
bool EqualsUpperCased(std::string_view upper, std::string_view text) {
    if (upper.size() != text.size()) return false;
    for (std::size_t i = 0; i < upper.size(); ++i)
        if (upper[i] != UpperChar(text[i])) return false;
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && EqualsUpperCased(UpperCase(a), b);
}

// A key line inside a section: "=" at the second character or later.
bool AddPairFromLine(SectionTable& table, std::string_view line) {
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    std::string key = UpperCase(TrimSpaces(line.substr(0, equals)));
    std::string_view value = TrimSpaces(line.substr(equals + 1));
    if (!value.empty() && value.front() == '#') value.remove_prefix(1);
    table.addPair(std::move(key), std::string(value));
    return true;
}

} // namespace

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = UpperChar(c);
    return upper;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

void SectionTable::reserve(std::size_t sections, std::size_t pairs) {
    sections_.reserve(sections);
    pairs_.reserve(pairs);
    index_.reserve(sections);
}

void SectionTable::addSection(std::string name) {
    index_[name].push_back(sections_.size());
    sections_.push_back(DataSection{std::move(name), pairs_.size(), 0});
}

void SectionTable::addPair(std::string key, std::string value) {
    if (sections_.empty()) return;
    pairs_.push_back(DataPair{std::move(key), std::move(value)});
    ++sections_.back().pairCount;
}

SectionView SectionTable::view(std::string_view section) const {
    auto found = index_.find(UpperCase(section));
    return SectionView(this, found == index_.end() ? nullptr : &found->second);
}

std::string_view SectionTable::LookupValue(std::string_view section, std::string_view key) const {
    return view(section).value(key);
}

std::string_view SectionView::value(std::string_view key) const {
    if (!indices_) return {};
    for (std::size_t index : *indices_)
        for (const DataPair& pair : table_->pairs(table_->sections_[index]))
            if (EqualsUpperCased(pair.key, key)) return pair.value;
    return {};
}

SectionTable ParseDataFile(std::string_view text) {
    SectionTable table;
    // A settings file has a section every hundred bytes and a pair every ten.
    constexpr std::size_t kEnoughForAFullFile = 16384;
    table.reserve(std::min(text.size() / 100, kEnoughForAFullFile),
                  std::min(text.size() / 10, kEnoughForAFullFile));
    LineReader lines(text);
    std::string_view pending;
    while (!lines.atEnd()) {
        if (pending.empty()) pending = lines.next();
        if (pending.empty() || pending.front() != '[') {
            pending = {};
            continue;
        }
        std::string_view rest = pending.substr(1);
        pending = {};
        std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close == 0) continue;
        table.addSection(std::string(TrimSpaces(UpperCase(rest.substr(0, close)))));
        while (!lines.atEnd()) {
            std::string_view line = lines.next();
            if (AddPairFromLine(table, line)) continue;
            if (line.find('[') != std::string_view::npos) {
                pending = line;
                break;
            }
        }
    }
    return table;
}

std::optional<std::string> ProfileLookup(std::string_view text, std::string_view section,
                                         std::string_view key) {
    constexpr std::size_t kMaxValue = 127;
    section = TrimBlanksAndTabs(section);
    key = TrimBlanksAndTabs(key);
    LineReader lines(text);
    bool inSection = false;
    bool seenSection = false;
    while (!lines.atEnd()) {
        std::string_view line = TrimBlanksAndTabs(lines.next());
        if (!line.empty() && line.front() == '[') {
            if (seenSection) return std::nullopt; // only the first section of the name counts
            std::string_view name = line.substr(1, line.find(']') - 1);
            inSection = EqualsIgnoringCase(TrimBlanksAndTabs(name), section);
            seenSection = inSection;
            continue;
        }
        if (!inSection) continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (!EqualsIgnoringCase(TrimBlanksAndTabs(line.substr(0, equals)), key)) continue;
        std::string_view value = TrimBlanksAndTabs(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        value = value.substr(0, std::min(value.size(), kMaxValue));
        return std::string(value.substr(0, value.find('\0')));
    }
    return std::nullopt;
}

} // namespace qb41
