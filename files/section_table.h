// The settings data file as the reader sees it: sections of key/value pairs
// in file order, parsed with the pending-line rules the file format has always
// been read with, and the looser private-profile lookup the model check uses.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qb41 {

// Views into the table's own copy of the file text: valid as long as the
// table (or a copy of it) lives.
struct DataPair {
    std::string_view key;   // text before the first "=", upper-cased, then trimmed
    std::string_view value; // text after it, trimmed, then one leading "#" removed
};

struct DataSection {
    std::string_view name;     // text between "[" and the first "]", upper-cased, then trimmed
    std::size_t firstPair = 0; // its pairs, in the table's list of all pairs
    std::size_t pairCount = 0;
    std::size_t nextOfName = 0; // the next section of the same name; 0 when none
};

class SectionTable;

// The sections of one name, in file order, for repeated lookups.
class SectionView {
public:
    // The first value of the key in file order, searching on through later
    // sections of the same name; empty when nothing matches. The key is
    // compared upper-cased.
    std::string_view value(std::string_view key) const;

private:
    friend class SectionTable;
    SectionView(const SectionTable* table, std::size_t first) : table_(table), first_(first) {}
    const SectionTable* table_;
    std::size_t first_; // the first section of the name; npos when the table has none
};

class SectionTable {
public:
    const std::vector<DataSection>& sections() const { return sections_; }
    std::span<const DataPair> pairs(const DataSection& section) const {
        return std::span<const DataPair>(pairs_).subspan(section.firstPair, section.pairCount);
    }
    SectionView view(std::string_view section) const;
    // view(section).value(key): upper-cases both names.
    std::string_view LookupValue(std::string_view section, std::string_view key) const;

private:
    friend class SectionView;
    friend SectionTable ParseDataFile(std::string_view text);
    void addSection(std::string_view name);
    // Adds to the last section; ignored before the first one.
    void addPair(std::string_view key, std::string_view value);

    // The file text with the section names and keys upper-cased in place;
    // shared, so that the views stay where they are when the table moves.
    std::shared_ptr<const std::string> text_;
    std::vector<DataSection> sections_;
    std::vector<DataPair> pairs_; // a section's pairs follow each other: pairs only go to the last
    struct Chain {
        std::size_t first, last; // the first and last section of a name
    };
    std::unordered_map<std::string_view, Chain> names_;
};

// Parses a whole file. Lines end at CR LF, LF or CR. A line that begins with
// "[" starts a section; inside a section a line with "=" at the second
// character or later is a pair, and any other line containing "[" ends the
// section and is looked at again as a possible header. Everything else is
// ignored. Never fails: any bytes give some table.
SectionTable ParseDataFile(std::string_view text);

// The system profile lookup used for the model check: section and key matched
// ignoring case and surrounding blanks, only the first section of that name
// searched, the value trimmed (and unquoted), at most 127 characters and cut at
// a NUL. nullopt when the section or key is missing.
std::optional<std::string> ProfileLookup(std::string_view text, std::string_view section,
                                         std::string_view key);

// Upper-cases ASCII letters; other bytes are kept.
std::string UpperCase(std::string_view text);

// Section and key names compared as the reader compares them: ASCII letters
// without regard to case.
bool SameName(std::string_view a, std::string_view b);
// A section name with a key: "CHUSA16" and "ChTag".
using SectionKey = std::pair<std::string_view, std::string_view>;
// Hash and equality for looking names up without regard to case.
struct NameHash {
    std::size_t operator()(std::string_view name) const;
    std::size_t operator()(const SectionKey& name) const;
};
struct NameEqual {
    bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
    bool operator()(const SectionKey& a, const SectionKey& b) const {
        return SameName(a.first, b.first) && SameName(a.second, b.second);
    }
};
// Removes leading and trailing spaces.
inline std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

} // namespace qb41
