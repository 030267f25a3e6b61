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

void UpperCaseInPlace(char* first, std::size_t count) {
    for (char* c = first; c != first + count; ++c) *c = UpperChar(*c);
}

} // namespace

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = UpperChar(c);
    return upper;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    return true;
}

std::size_t NameHash::operator()(std::string_view name) const {
    std::size_t hash = 14695981039346656037ull; // FNV-1a over the upper-cased bytes
    for (char c : name) hash = (hash ^ static_cast<unsigned char>(UpperChar(c))) * 1099511628211ull;
    return hash;
}

std::size_t NameHash::operator()(const SectionKey& name) const {
    return (*this)(name.first) * 31 + (*this)(name.second);
}

void SectionTable::addSection(std::string_view name) {
    const std::size_t index = sections_.size();
    sections_.push_back(DataSection{name, pairs_.size(), 0, 0});
    auto [chain, fresh] = names_.try_emplace(name, Chain{index, index});
    if (fresh) return;
    sections_[chain->second.last].nextOfName = index;
    chain->second.last = index;
}

void SectionTable::addPair(std::string_view key, std::string_view value) {
    if (sections_.empty()) return;
    pairs_.push_back(DataPair{key, value});
    ++sections_.back().pairCount;
}

SectionView SectionTable::view(std::string_view section) const {
    auto found = names_.find(UpperCase(section));
    return SectionView(this, found == names_.end() ? std::string_view::npos : found->second.first);
}

std::string_view SectionTable::LookupValue(std::string_view section, std::string_view key) const {
    return view(section).value(key);
}

std::string_view SectionView::value(std::string_view key) const {
    // Section 0 is never the next of another, so 0 ends the chain.
    for (std::size_t index = first_; index != std::string_view::npos;) {
        const DataSection& section = table_->sections_[index];
        for (const DataPair& pair : table_->pairs(section))
            if (EqualsUpperCased(pair.key, key)) return pair.value;
        index = section.nextOfName != 0 ? section.nextOfName : std::string_view::npos;
    }
    return {};
}

SectionTable ParseDataFile(std::string_view text) {
    SectionTable table;
    auto owned = std::make_shared<std::string>(text);
    char* const base = owned->data();
    const auto at = [&](std::string_view part) { return base + (part.data() - text.data()); };
    const auto ownedView = [&](std::string_view part) {
        return std::string_view(at(part), part.size());
    };
    // A settings file has a section every hundred bytes and a pair every ten.
    constexpr std::size_t kEnoughForAFullFile = 16384;
    table.sections_.reserve(std::min(text.size() / 100, kEnoughForAFullFile));
    table.pairs_.reserve(std::min(text.size() / 10, kEnoughForAFullFile));
    table.names_.reserve(std::min(text.size() / 100, kEnoughForAFullFile));
    // A key line inside a section: "=" at the second character or later.
    const auto addPairFromLine = [&](std::string_view line) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) return false;
        const std::string_view key = TrimSpaces(line.substr(0, equals));
        UpperCaseInPlace(at(key), key.size());
        std::string_view value = TrimSpaces(line.substr(equals + 1));
        if (!value.empty() && value.front() == '#') value.remove_prefix(1);
        table.addPair(ownedView(key), ownedView(value));
        return true;
    };
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
        const std::string_view name = rest.substr(0, close);
        UpperCaseInPlace(at(name), name.size());
        table.addSection(ownedView(TrimSpaces(name)));
        while (!lines.atEnd()) {
            std::string_view line = lines.next();
            if (addPairFromLine(line)) continue;
            if (line.find('[') != std::string_view::npos) {
                pending = line;
                break;
            }
        }
    }
    table.text_ = std::move(owned);
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
            inSection = SameName(TrimBlanksAndTabs(name), section);
            seenSection = inSection;
            continue;
        }
        if (!inSection) continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (!SameName(TrimBlanksAndTabs(line.substr(0, equals)), key)) continue;
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
