#include "bank_csv.h"

#include "field_edit.h"

#include "files/csv.h"
#include "files/section_table.h"

#include <set>

namespace qb41::editor {
namespace {

bool IsDirectory(const BankWord& bank) {
    return bank.section == "CHMMSID" || bank.section == "CHGRPID";
}

std::string_view NumberColumn(const BankWord& bank) {
    return IsDirectory(bank) ? "entry" : "channel";
}

// The section number of a bank section name ("CHUSA16" of CHUSA: 16).
std::optional<int> SectionNumber(const BankWord& bank, std::string_view section) {
    if (!section.starts_with(bank.section)) return std::nullopt;
    const std::string_view digits = section.substr(bank.section.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoi(std::string(digits));
}

// The bank's sections in file order, each with its fields.
struct BankSection {
    int number;
    std::vector<const FieldValue*> fields;
};
std::vector<BankSection> BankSections(const std::vector<FieldValue>& fields, const BankWord& bank) {
    std::vector<BankSection> sections;
    for (const FieldValue& field : fields) {
        const auto n = SectionNumber(bank, field.section);
        if (!n) continue;
        if (sections.empty() || sections.back().number != *n) sections.push_back({*n, {}});
        sections.back().fields.push_back(&field);
    }
    return sections;
}

} // namespace

const BankWord* BankWordForNode(std::string_view key) {
    const struct {
        std::string_view prefix;
        std::string_view word;
    } nodes[] = {{"PU", "usa"},         {"PI", "intl"},       {"PC", "canada"}, {"PW", "wx"},
                 {"ExpChannel", "exp"}, {"SM", "individual"}, {"SG", "group"}};
    for (const auto& node : nodes)
        if (key.starts_with(node.prefix)) return FindBankWord(node.word);
    // "E1".."E40": the EXP channels.
    if (key.size() > 1 && key[0] == 'E' &&
        key.substr(1).find_first_not_of("0123456789") == std::string_view::npos)
        return FindBankWord("exp");
    return nullptr;
}

std::string ExportBankCsv(const Records& records, ModelNumber model, const BankWord& bank) {
    const std::vector<FieldValue> fields = ListFields(records, model);
    const std::vector<BankSection> sections = BankSections(fields, bank);
    std::string out;
    if (sections.empty()) return CsvRecord({std::string(NumberColumn(bank))});
    std::vector<std::string> header{std::string(NumberColumn(bank))};
    for (const FieldValue* field : sections.front().fields) header.push_back(field->key);
    out += CsvRecord(header);
    for (const BankSection& section : sections) {
        std::vector<std::string> row{EntryNumber(bank, section.number)};
        for (const FieldValue* field : section.fields) row.push_back(field->value);
        out += CsvRecord(row);
    }
    return out;
}

std::string RefusalLine(const CsvRefusal& refusal, const std::vector<std::string>& header) {
    std::string text = "line " + std::to_string(refusal.line);
    if (refusal.column > 0) {
        text += ", column " + std::to_string(refusal.column);
        if (refusal.column <= static_cast<int>(header.size()))
            text += " (" + header[static_cast<std::size_t>(refusal.column - 1)] + ")";
    }
    return text + ": " + refusal.rule;
}

namespace {

// Applies cells of one row to the copy, keeping the field list current.
class RowEditor {
public:
    RowEditor(Records& records, AppState& state) : records_(records), state_(state) {}

    const FieldValue* field(const std::string& section, const std::string& key) {
        if (!list_) list_.emplace(records_, state_.modelNumber, FieldList::Lookups::Few);
        const auto index = list_->findCanonical(section, key);
        return index ? &list_->fields()[*index] : nullptr;
    }
    std::optional<std::string> apply(const std::string& section, const std::string& key,
                                     std::string_view value) {
        const FieldValue* f = field(section, key);
        if (!f) return "no such field for this model";
        if (f->value == value) return std::nullopt;
        const FieldValue copy = *f;
        auto refusal = ApplyFieldValue(records_, state_, copy, value);
        list_.reset(); // the stored value (and fields that follow it) may have changed
        if (!refusal) ++changed_;
        return refusal;
    }
    int changed() const { return changed_; }

private:
    Records& records_;
    AppState& state_;
    std::optional<FieldList> list_;
    int changed_ = 0;
};

// The header: the number column, then keys of the bank's sections, each
// matched to the key the data file writes; refusals for the others.
std::vector<std::string> HeaderKeys(const Records& records, ModelNumber model, const BankWord& bank,
                                    const CsvRow& header, std::vector<CsvRefusal>& refusals) {
    const std::string first = std::string(bank.section) + (IsDirectory(bank) ? "1" : "0");
    std::vector<std::string> keys(header.cells.size());
    std::set<std::string> seenKeys;
    const FieldList list(records, model);
    for (std::size_t c = 1; c < header.cells.size(); ++c) {
        const std::string wanted = UpperCase(TrimSpaces(header.cells[c]));
        for (const FieldValue& f : list.fields())
            if (f.section == first && UpperCase(f.key) == wanted) keys[c] = f.key;
        if (keys[c].empty())
            refusals.push_back({header.line, static_cast<int>(c) + 1,
                                "no key " + header.cells[c] + " in the " +
                                    std::string(bank.section) + " sections"});
        else if (!seenKeys.insert(keys[c]).second)
            refusals.push_back(
                {header.line, static_cast<int>(c) + 1, "a second column for " + keys[c]});
    }
    return keys;
}

// The section number a row names; nullopt (with a refusal) when the row
// names none, names one twice or has the wrong number of cells.
std::optional<int> RowNumber(const BankWord& bank, const CsvRow& row, std::size_t cells,
                             std::set<int>& seenRows, std::vector<CsvRefusal>& refusals) {
    const auto number = EntryIndex(bank, row.cells.empty() ? "" : row.cells[0]);
    if (!number) {
        refusals.push_back({row.line, 1,
                            "no " + std::string(NumberColumn(bank)) + " " + row.cells[0] + " in " +
                                std::string(bank.label)});
        return std::nullopt;
    }
    if (!seenRows.insert(*number).second) {
        refusals.push_back({row.line, 1, "a second row for " + row.cells[0]});
        return std::nullopt;
    }
    if (row.cells.size() != cells) {
        refusals.push_back({row.line, 0,
                            "the row has " + std::to_string(row.cells.size()) +
                                " cells, the header " + std::to_string(cells)});
        return std::nullopt;
    }
    return number;
}

// The order a row's cells are applied in (column, value): the boxes a row
// fills must take input while they are filled, so Enable and Low Power are
// turned on first where needed and given their own values last.
std::vector<std::pair<int, std::string>> RowSteps(RowEditor& editor, const BankWord& bank,
                                                  const std::string& section,
                                                  const std::vector<std::string>& keys,
                                                  const CsvRow& row) {
    auto column = [&](std::string_view key) -> int {
        for (std::size_t c = 1; c < keys.size(); ++c)
            if (keys[c] == key) return static_cast<int>(c);
        return -1;
    };
    auto differs = [&](std::size_t c) {
        const FieldValue* f = editor.field(section, keys[c]);
        return f && f->value != row.cells[c];
    };
    const int enable = IsDirectory(bank) ? -1 : column("Enable");
    const int lowPower = column("LowPower");
    const int powerUp = column("PowUp");
    bool others = false;
    for (std::size_t c = 1; c < keys.size(); ++c)
        if (static_cast<int>(c) != enable && differs(c)) others = true;
    std::vector<std::pair<int, std::string>> steps;
    if (enable > 0 && others) steps.push_back({enable, "1"});
    if (lowPower > 0 && powerUp > 0 && differs(static_cast<std::size_t>(powerUp)))
        steps.push_back({lowPower, "1"});
    for (std::size_t c = 1; c < keys.size(); ++c)
        if (static_cast<int>(c) != enable && static_cast<int>(c) != lowPower)
            steps.push_back({static_cast<int>(c), row.cells[c]});
    if (lowPower > 0) steps.push_back({lowPower, row.cells[static_cast<std::size_t>(lowPower)]});
    if (enable > 0) steps.push_back({enable, row.cells[static_cast<std::size_t>(enable)]});
    return steps;
}

} // namespace

CsvImport ImportBankCsv(Records& records, AppState& state, const BankWord& bank,
                        std::string_view text) {
    CsvImport result;
    const CsvParse parsed = ParseCsv(text);
    if (parsed.error) {
        result.refusals.push_back({0, 0, *parsed.error});
        return result;
    }
    if (parsed.rows.empty()) {
        result.refusals.push_back({1, 0, "the file has no header row"});
        return result;
    }
    Records copy = records;
    AppState copyState = state;
    RowEditor editor(copy, copyState);
    const CsvRow& header = parsed.rows.front();
    result.header = header.cells;
    const std::vector<std::string> keys =
        HeaderKeys(copy, copyState.modelNumber, bank, header, result.refusals);
    if (!result.refusals.empty()) return result;

    std::set<int> seenRows;
    for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
        const CsvRow& row = parsed.rows[r];
        const auto number = RowNumber(bank, row, header.cells.size(), seenRows, result.refusals);
        if (!number) continue;
        const std::string section = std::string(bank.section) + std::to_string(*number);
        for (const auto& [c, value] : RowSteps(editor, bank, section, keys, row))
            if (auto rule = editor.apply(section, keys[static_cast<std::size_t>(c)], value))
                result.refusals.push_back({row.line, c + 1, *rule});
    }
    if (!result.refusals.empty()) return result;
    result.changedCells = editor.changed();
    records = std::move(copy);
    state = std::move(copyState);
    return result;
}

} // namespace qb41::editor
