#include "data_file_check.h"

#include "data_file_keys.h"
#include "data_file_reader.h"
#include "data_file_writer.h"
#include "file_io.h"
#include "section_table.h"

#include "image/defaults.h"
#include "image/layout.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace qb41 {
namespace {

using Kind = DataFileFinding::Kind;

// One line of the file as the check sees it.
struct Line {
    int number;
    bool header;
    std::string section; // upper-cased
    std::string shownSection;
    std::string key; // upper-cased; empty for a header
    std::string shownKey;
    std::string value; // trimmed, one leading '#' removed
};

std::vector<Line> ScanLines(std::string_view text) {
    std::vector<Line> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::string section, shown;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        ++number;
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            shown = std::string(TrimSpaces(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            section = UpperCase(shown);
            lines.push_back({number, true, section, shown, "", "", ""});
        } else if (const std::size_t eq = line.find('=');
                   eq != std::string_view::npos && eq > 0 && !section.empty()) {
            std::string key(TrimSpaces(line.substr(0, eq)));
            std::string_view value = TrimSpaces(line.substr(eq + 1));
            if (!value.empty() && value.front() == '#') value.remove_prefix(1);
            lines.push_back(
                {number, false, section, shown, UpperCase(key), key, std::string(value)});
        }
        if (end == text.size()) break;
        at = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

// The complete file for the model: its sections and, per section, key -> value.
struct Reference {
    std::vector<std::string> sections; // as written, in order
    std::map<std::string, std::map<std::string, std::string>> keys;
};

Reference ReferenceFor(const std::string& fileText) {
    Reference reference;
    for (const Line& line : ScanLines(fileText)) {
        if (line.header) {
            reference.sections.push_back(line.shownSection);
            reference.keys[line.section];
        } else {
            reference.keys[line.section].emplace(line.key, line.value);
        }
    }
    return reference;
}

Reference CompleteFile(ModelNumber model) {
    DataSet fresh;
    MakeFreshDataSet(fresh, model);
    return ReferenceFor(FormatDataFile(fresh.records, model, '.'));
}

std::optional<double> Number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    double value = 0;
    auto [end, error] = std::from_chars(copy.data(), copy.data() + copy.size(), value);
    if (error != std::errc() || end != copy.data() + copy.size()) return std::nullopt;
    return value;
}

// Keys whose values are texts: the reader's value rules judge them.
bool IsText(const std::string& section, const std::string& key) {
    for (const char* text : {"CHTAG", "TAGNAME", "MMSID", "USER MMSI", "ATIS CODE", "CHDISPLAYL",
                             "CHDISPLAYR"})
        if (key == text) return true;
    if (section == UpperCase(datafile::kAtisCallSignSection)) return true; // MID n, DISP n
    return key.rfind("STATUS NAME", 0) == 0;
}

Kind NoteKind(const LoadNote& note, const std::string& key) {
    if (note.kind == LoadNote::Kind::Normalised) return Kind::Normalised;
    if (key == "USER MMSI" || key == "MMSID") return Kind::BadMmsi;
    if (key == "ATIS CODE") return Kind::BadAtis;
    if (note.text.find("longer than") != std::string::npos) return Kind::LongName;
    return Kind::BadValue;
}

// "value Rxfreq=1e300 in [CHEXP3] is outside 137 to 174 MHz; not read"
std::string NoteText(const LoadNote& note) {
    if (note.value.empty() && note.kind == LoadNote::Kind::Normalised)
        return "[" + note.section + "] " + note.key + " " + note.text;
    return "value " + note.key + "=" + note.value + " in [" + note.section + "] " + note.text;
}

ModelNumber FileModel(std::string_view text) {
    std::optional<std::int16_t> model = ReadModelType(text);
    return model && FindModel(*model) ? *model : ModelNumber{2};
}

// The sections of the complete file that the scanned lines lack.
std::vector<std::string> MissingFrom(const std::vector<Line>& lines, const Reference& complete) {
    std::set<std::string> present;
    for (const Line& line : lines)
        if (line.header) present.insert(line.section);
    std::vector<std::string> missing;
    for (const std::string& name : complete.sections)
        if (!present.count(UpperCase(name))) missing.push_back("[" + name + "]");
    return missing;
}

} // namespace

std::vector<std::string> MissingSections(std::string_view text, ModelNumber model) {
    return MissingFrom(ScanLines(text), CompleteFile(model));
}

std::vector<DataFileFinding> CheckDataFileText(std::string_view text) {
    std::vector<DataFileFinding> findings;
    std::optional<std::int16_t> named = ReadModelType(text);
    if (!named || !FindModel(*named))
        findings.push_back({Kind::NoModel, 0, "MODELTYPE in [MAIN] names no model (0 to 3)"});
    const ModelNumber model = FileModel(text);
    const Reference complete = CompleteFile(model);

    // What the reader keeps of each value: read the file, write it again.
    // Values that break their value rule are not read and come back as notes.
    DataSet read;
    MakeFreshDataSet(read, model);
    std::vector<LoadNote> notes;
    FillRecords(ParseDataFile(text), read.records, model, &notes);
    const Reference kept = ReferenceFor(FormatDataFile(read.records, model, '.'));
    const std::vector<Line> lines = ScanLines(text);
    std::set<std::pair<std::string, std::string>> noted;
    for (const LoadNote& note : notes) {
        const std::string section = UpperCase(note.section), key = UpperCase(note.key);
        noted.insert({section, key});
        int number = 0;
        for (const Line& line : lines)
            if (!line.header && line.section == section && line.key == key) {
                number = line.number;
                break;
            }
        findings.push_back({NoteKind(note, key), number, NoteText(note)});
    }

    std::map<std::string, int> firstLine;
    bool skipSection = false;
    for (const Line& line : lines) {
        const std::string where = " in [" + line.shownSection + "]";
        if (line.header) {
            skipSection = false;
            auto [it, fresh] = firstLine.emplace(line.section, line.number);
            if (!complete.keys.count(line.section)) {
                findings.push_back({Kind::UnknownSection, line.number,
                                    "unknown section [" + line.shownSection + "]"});
                skipSection = true;
            } else if (!fresh) {
                findings.push_back({Kind::DuplicateSection, line.number,
                                    "duplicate section [" + line.shownSection +
                                        "] (first at line " + std::to_string(it->second) + ")"});
                skipSection = true; // its values are looked up after the first one's
            }
            continue;
        }
        if (skipSection) continue;
        const auto& keys = complete.keys.at(line.section);
        auto known = keys.find(line.key);
        if (known == keys.end()) {
            findings.push_back(
                {Kind::UnknownKey, line.number, "unknown key " + line.shownKey + where});
            continue;
        }
        const std::string& value = line.value;
        const std::string shown = line.shownKey + "=" + value + where;
        // Texts and the fields with a value rule are judged by the reader's notes.
        if (noted.count({line.section, line.key}) || IsText(line.section, line.key)) continue;
        // A numeric field whose value the reader did not keep as written.
        if (!Number(known->second)) continue;
        const auto keptSection = kept.keys.find(line.section);
        if (keptSection == kept.keys.end()) continue;
        const auto keptValue = keptSection->second.find(line.key);
        if (keptValue == keptSection->second.end()) continue;
        const std::optional<double> given = Number(value), taken = Number(keptValue->second);
        if (!given) {
            findings.push_back(
                {Kind::BadValue, line.number, "value " + shown + " is not a number"});
        } else if (!taken || *given != *taken) {
            findings.push_back(
                {Kind::BadValue, line.number,
                 "value " + shown + " is outside its range (read as " + keptValue->second + ")"});
        }
    }
    for (const std::string& name : MissingFrom(lines, complete))
        findings.push_back({Kind::MissingSection, 0, "missing section " + name});
    return findings;
}

std::string FindingLine(const DataFileFinding& finding) {
    return (finding.line > 0 ? "line " + std::to_string(finding.line) + ": " : std::string()) +
           finding.text;
}

bool IsValueFinding(const DataFileFinding& finding) {
    switch (finding.kind) {
    case Kind::BadValue:
    case Kind::BadMmsi:
    case Kind::BadAtis:
    case Kind::LongName:
        return true;
    default:
        return false;
    }
}

std::vector<DataFileFinding> DataFileFindings(const std::filesystem::path& path) {
    try {
        return CheckDataFileText(ReadWholeFile(path, kMaxDataFileBytes));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace qb41
