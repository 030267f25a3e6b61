// The settings data file as the reader sees it: sections of key/value pairs
// in file order, parsed with the pending-line rules the file format has always
// been read with, and the looser private-profile lookup the model check uses.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qb41 {

struct DataPair {
    std::string key;   // text before the first "=", upper-cased, then trimmed
    std::string value; // text after it, trimmed, then one leading "#" removed
};

struct DataSection {
    std::string name;          // text between "[" and the first "]", upper-cased, then trimmed
    std::size_t firstPair = 0; // its pairs, in the table's list of all pairs
    std::size_t pairCount = 0;
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
    SectionView(const SectionTable* table, const std::vector<std::size_t>* indices)
        : table_(table), indices_(indices) {}
    const SectionTable* table_;
    const std::vector<std::size_t>* indices_;
};

class SectionTable {
public:
    // Room for about this many sections and pairs, so that growing never moves them.
    void reserve(std::size_t sections, std::size_t pairs);
    void addSection(std::string name);
    // Adds to the last section; ignored before the first one.
    void addPair(std::string key, std::string value);

    const std::vector<DataSection>& sections() const { return sections_; }
    std::span<const DataPair> pairs(const DataSection& section) const {
        return std::span<const DataPair>(pairs_).subspan(section.firstPair, section.pairCount);
    }
    SectionView view(std::string_view section) const;
    // view(section).value(key): upper-cases both names.
    std::string_view LookupValue(std::string_view section, std::string_view key) const;

private:
    friend class SectionView;
    std::vector<DataSection> sections_;
    std::vector<DataPair> pairs_; // a section's pairs follow each other: pairs only go to the last
    std::unordered_map<std::string, std::vector<std::size_t>> index_;
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
// Removes leading and trailing spaces.
std::string_view TrimSpaces(std::string_view text);

} // namespace qb41
