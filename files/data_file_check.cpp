#include "data_file_check.h"

#include "data_file_keys.h"
#include "data_file_reader.h"
#include "data_file_writer.h"
#include "file_io.h"
#include "section_table.h"
#include "value_conversion.h"

#include "image/defaults.h"
#include "image/layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace qb41 {
namespace {

using Kind = DataFileFinding::Kind;

template <typename Value>
using NameMap = std::unordered_map<std::string_view, Value, NameHash, NameEqual>;

// One line of the file as the check sees it: views into the text.
struct Line {
    int number;
    bool header;
    std::string_view section; // as the file writes it, trimmed
    std::string_view key;     // as the file writes it, trimmed; empty for a header
    std::string_view value;   // trimmed, one leading '#' removed
};

std::vector<Line> ScanLines(std::string_view text) {
    std::vector<Line> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::string_view section;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        std::string_view line = text.substr(at, end - at);
        ++number;
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            section = TrimSpaces(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            lines.push_back({number, true, section, {}, {}});
        } else if (const std::size_t eq = line.find('=');
                   eq != std::string_view::npos && eq > 0 && !section.empty()) {
            std::string_view value = TrimSpaces(line.substr(eq + 1));
            if (!value.empty() && value.front() == '#') value.remove_prefix(1);
            lines.push_back({number, false, section, TrimSpaces(line.substr(0, eq)), value});
        }
        if (end == text.size()) break;
        at = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

// What the writer writes for a data set: its sections in order and, per
// section, its keys and values. The writer writes each section and each key
// of a section once.
class Reference final : public DataFileLines {
public:
    Reference(const Records& records, ModelNumber model) {
        text_.reserve(std::size_t{96} * 1024);
        WriteDataFileLines(records, model, '.', *this);
        // The texts are in place: the views can be taken.
        for (const Place& place : places_) {
            const std::string_view key = view(place.key), value = view(place.value);
            if (place.header) {
                sections_.push_back(key);
                auto [range, fresh] = ranges_.try_emplace(key, Range{keys_.size(), 0});
                current_ = fresh ? &range->second : nullptr;
            } else if (current_) {
                keys_.push_back({key, value});
                ++current_->count;
            }
        }
        current_ = nullptr;
        places_.clear();
    }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    ~Reference() = default;

    void section(std::string_view name) override { places_.push_back({true, add(name), {}}); }
    void value(std::string_view key, std::string_view value, bool) override {
        places_.push_back({false, add(key), add(value)});
    }

    const std::vector<std::string_view>& sections() const { return sections_; }
    bool has(std::string_view section) const { return ranges_.count(section) != 0; }

    // Looks keys up in one section; the next key asked for is looked for
    // first after the last one found, as a file lists them in the writer's order.
    class Section {
    public:
        const std::string_view* value(std::string_view key) {
            for (std::size_t n = 0; n < count_; ++n) {
                const std::size_t at = (next_ + n) % count_;
                if (SameName(keys_[at].key, key)) {
                    next_ = at + 1;
                    return &keys_[at].value;
                }
            }
            return nullptr;
        }

    private:
        friend class Reference;
        struct Key {
            std::string_view key, value;
        };
        Section(const Key* keys, std::size_t count) : keys_(keys), count_(count) {}
        const Key* keys_;
        std::size_t count_;
        std::size_t next_ = 0;
    };
    std::optional<Section> find(std::string_view name) const {
        auto found = ranges_.find(name);
        if (found == ranges_.end()) return std::nullopt;
        return Section(keys_.data() + found->second.first, found->second.count);
    }

private:
    struct Span {
        std::size_t at = 0, size = 0;
    };
    struct Place {
        bool header;
        Span key, value;
    };
    struct Range {
        std::size_t first, count;
    };
    Span add(std::string_view text) {
        const Span span{text_.size(), text.size()};
        text_ += text;
        return span;
    }
    std::string_view view(Span span) const {
        return std::string_view(text_).substr(span.at, span.size);
    }

    std::string text_; // every name and value, one after another
    std::vector<Place> places_;
    std::vector<std::string_view> sections_;
    std::vector<Section::Key> keys_;
    NameMap<Range> ranges_;
    Range* current_ = nullptr;
};

// The complete file for a model: what the writer writes for a fresh data
// set. It depends on the model alone, so each model's is made once and
// shared (read only) by every check after it.
std::shared_ptr<const Reference> CompleteFile(ModelNumber model) {
    const auto make = [model] {
        DataSet fresh;
        MakeFreshDataSet(fresh, model);
        return std::make_shared<const Reference>(fresh.records, model);
    };
    const std::span<const ModelInfo> models = AllModels();
    const auto known = std::find_if(models.begin(), models.end(),
                                    [model](const ModelInfo& m) { return m.number == model; });
    if (known == models.end()) return make();
    static std::array<std::once_flag, 8> once;
    static std::array<std::shared_ptr<const Reference>, 8> made;
    const auto slot = static_cast<std::size_t>(known - models.begin());
    if (slot >= once.size()) return make();
    std::call_once(once[slot], [&] { made[slot] = make(); });
    return made[slot];
}

std::optional<double> Number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    // Most values are a few digits: read them directly, as from_chars would
    // (which takes no "+").
    if (text.front() != '+')
        if (std::optional<double> plain = PlainInteger(text)) return plain;
    std::array<char, 64> buffer{};
    std::string spill; // only for a value longer than any field writes
    char* first = buffer.data();
    if (text.size() > buffer.size()) {
        spill.resize(text.size());
        first = spill.data();
    }
    std::replace_copy(text.begin(), text.end(), first, ',', '.');
    const char* const last = first + text.size();
    double value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

// Keys whose values are texts: the reader's value rules judge them.
bool IsText(std::string_view section, std::string_view key) {
    for (std::string_view text :
         {"CHTAG", "TAGNAME", "MMSID", "USER MMSI", "ATIS CODE", "CHDISPLAYL", "CHDISPLAYR"})
        if (SameName(key, text)) return true;
    if (SameName(section, datafile::kAtisCallSignSection)) return true; // MID n, DISP n
    constexpr std::string_view kStatusName = "STATUS NAME";
    return key.size() >= kStatusName.size() &&
           SameName(key.substr(0, kStatusName.size()), kStatusName);
}

Kind NoteKind(const LoadNote& note) {
    if (note.kind == LoadNote::Kind::Normalised) return Kind::Normalised;
    if (SameName(note.key, "USER MMSI") || SameName(note.key, "MMSID")) return Kind::BadMmsi;
    if (SameName(note.key, "ATIS CODE")) return Kind::BadAtis;
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
    std::unordered_set<std::string_view, NameHash, NameEqual> present;
    for (const Line& line : lines)
        if (line.header) present.insert(line.section);
    std::vector<std::string> missing;
    for (std::string_view name : complete.sections())
        if (!present.count(name)) missing.push_back("[" + std::string(name) + "]");
    return missing;
}

// The reader's notes as findings, each at the first line of its key.
void AddNoteFindings(const std::vector<LoadNote>& notes, const std::vector<Line>& lines,
                     std::vector<DataFileFinding>& findings) {
    if (notes.empty()) return;
    std::unordered_map<SectionKey, int, NameHash, NameEqual> firstLine;
    for (const Line& line : lines)
        if (!line.header) firstLine.try_emplace(SectionKey{line.section, line.key}, line.number);
    for (const LoadNote& note : notes) {
        auto found = firstLine.find(SectionKey{note.section, note.key});
        findings.push_back(
            {NoteKind(note), found == firstLine.end() ? 0 : found->second, NoteText(note)});
    }
}

std::string Where(const Line& line) {
    return " in [" + std::string(line.section) + "]";
}

// A numeric field whose value the reader did not keep as written.
void CheckKeptNumber(const Line& line, std::string_view kept,
                     std::vector<DataFileFinding>& findings) {
    const std::optional<double> given = Number(line.value), taken = Number(kept);
    if (given && taken && *given == *taken) return;
    const std::string shown = std::string(line.key) + "=" + std::string(line.value) + Where(line);
    if (!given)
        findings.push_back({Kind::BadValue, line.number, "value " + shown + " is not a number"});
    else
        findings.push_back(
            {Kind::BadValue, line.number,
             "value " + shown + " is outside its range (read as " + std::string(kept) + ")"});
}

// A section header: unknown and duplicate sections are findings, and their
// keys are passed over (a duplicate's values are looked up after the first
// one's). True for the first header of a known section.
bool CheckHeader(const Line& line, const Reference& complete, NameMap<int>& firstLine,
                 std::vector<DataFileFinding>& findings) {
    auto [it, fresh] = firstLine.try_emplace(line.section, line.number);
    if (!complete.has(line.section)) {
        findings.push_back({Kind::UnknownSection, line.number,
                            "unknown section [" + std::string(line.section) + "]"});
        return false;
    }
    if (!fresh) {
        findings.push_back({Kind::DuplicateSection, line.number,
                            "duplicate section [" + std::string(line.section) +
                                "] (first at line " + std::to_string(it->second) + ")"});
        return false;
    }
    return true;
}

} // namespace

std::vector<std::string> MissingSections(std::string_view text, ModelNumber model) {
    return MissingFrom(ScanLines(text), *CompleteFile(model));
}

std::vector<DataFileFinding> CheckDataFileText(std::string_view text) {
    std::vector<DataFileFinding> findings;
    std::optional<std::int16_t> named = ReadModelType(text);
    if (!named || !FindModel(*named))
        findings.push_back({Kind::NoModel, 0, "MODELTYPE in [MAIN] names no model (0 to 3)"});
    const ModelNumber model = FileModel(text);
    const std::shared_ptr<const Reference> completeFile = CompleteFile(model);
    const Reference& complete = *completeFile;

    // What the reader keeps of each value: read the file, write it again.
    // Values that break their value rule are not read and come back as notes.
    DataSet read;
    MakeFreshDataSet(read, model);
    std::vector<LoadNote> notes;
    FillRecords(ParseDataFile(text), read.records, model, &notes);
    const Reference kept(read.records, model);
    const std::vector<Line> lines = ScanLines(text);
    AddNoteFindings(notes, lines, findings);
    std::unordered_set<SectionKey, NameHash, NameEqual> noted;
    for (const LoadNote& note : notes) noted.insert({note.section, note.key});

    NameMap<int> firstLine;
    std::optional<Reference::Section> known, keptSection;
    for (const Line& line : lines) {
        if (line.header) {
            known.reset();
            if (CheckHeader(line, complete, firstLine, findings)) {
                known = complete.find(line.section);
                keptSection = kept.find(line.section);
            }
            continue;
        }
        if (!known) continue;
        const std::string_view* fresh = known->value(line.key);
        if (!fresh) {
            findings.push_back({Kind::UnknownKey, line.number,
                                "unknown key " + std::string(line.key) + Where(line)});
            continue;
        }
        // Only numeric fields are compared with what was kept; texts and the
        // fields with a value rule are judged by the reader's notes.
        if (!keptSection || !Number(*fresh)) continue;
        if ((!noted.empty() && noted.count({line.section, line.key})) ||
            IsText(line.section, line.key))
            continue;
        if (const std::string_view* value = keptSection->value(line.key))
            CheckKeptNumber(line, *value, findings);
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
