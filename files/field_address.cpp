#include "field_address.h"

#include "data_file_writer.h"
#include "section_table.h"

#include "core/master_table.h"

#include <charconv>

namespace qb41 {
namespace {

// The words a label uses for the keys of channel and directory sections; a
// short form may use them in place of the key ("usa:16.name").
struct KeyWord {
    std::string_view key;
    std::string_view word;
};
constexpr KeyWord kKeyWords[] = {
    {"Position", "position"},   {"Enable", "enable"},       {"LowPower", "low power"},
    {"PowUp", "power up"},      {"Duplex", "duplex"},       {"TxEnable", "tx enable"},
    {"DispayA", "a display"},   {"ScanMemory", "scan"},     {"Scramble", "scrambler"},
    {"ChTag", "name"},          {"CHDisplayL", "number"},   {"CHDisplayR", "suffix"},
    {"Rxfreq", "rx frequency"}, {"Txfreq", "tx frequency"}, {"TagName", "name"},
    {"Mmsid", "mmsi"},          {"Narrow", "narrow"},       {"Compander", "compander"},
    {"DcsCode", "dcs"},         {"CtcssTone", "ctcss"},
};

std::string_view KeyWordOf(std::string_view key) {
    const std::string upper = UpperCase(key);
    for (const KeyWord& k : kKeyWords)
        if (UpperCase(k.key) == upper) return k.word;
    return {};
}

std::optional<int> ParseNumber(std::string_view digits) {
    int value = 0;
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

bool IsPlanSection(std::string_view section) {
    return section == "CHUSA" || section == "CHINT" || section == "CHCAN";
}

bool IsDirectorySection(std::string_view section) {
    return section == "CHMMSID" || section == "CHGRPID";
}

std::string TwoDigits(int n) {
    return (n < 10 && n >= 0 ? "0" : "") + std::to_string(n);
}

// "CHUSA16" -> the bank word of "CHUSA" and 16.
std::optional<std::pair<const BankWord*, int>> SplitBankSection(std::string_view section) {
    const std::size_t digits = section.find_first_of("0123456789");
    if (digits == std::string_view::npos) return std::nullopt;
    const std::string_view name = section.substr(0, digits);
    for (const BankWord& bank : BankWords())
        if (bank.section == name)
            if (auto n = ParseNumber(section.substr(digits))) return std::pair{&bank, *n};
    return std::nullopt;
}

std::string_view Trim(std::string_view text) {
    return TrimSpaces(text);
}

} // namespace

std::vector<FieldValue> ListFields(const Records& records, ModelNumber model) {
    // The fields as the writer gives them, the text markers noted.
    class Fields final : public DataFileLines {
    public:
        void section(std::string_view name) override { section_ = name; }
        void value(std::string_view key, std::string_view value, bool marked) override {
            list.push_back({section_, std::string(key), std::string(value), marked});
        }
        std::vector<FieldValue> list;

    private:
        std::string section_;
    } fields;
    fields.list.reserve(4096);
    WriteDataFileLines(records, model, '.', fields);
    return std::move(fields.list);
}

const std::vector<BankWord>& BankWords() {
    static const std::vector<BankWord> banks{
        {"usa", "CHUSA", "USA"},       {"intl", "CHINT", "INTL"},
        {"canada", "CHCAN", "Canada"}, {"wx", "CHWX", "WX"},
        {"exp", "CHEXP", "EXP"},       {"individual", "CHMMSID", "Individual"},
        {"group", "CHGRPID", "Group"},
    };
    return banks;
}

const BankWord* FindBankWord(std::string_view word) {
    const std::string upper = UpperCase(Trim(word));
    for (const BankWord& bank : BankWords())
        if (UpperCase(bank.word) == upper) return &bank;
    return nullptr;
}

std::string EntryNumber(const BankWord& bank, int index) {
    if (IsPlanSection(bank.section)) {
        const auto& master = MasterTable();
        if (index >= 0 && index < static_cast<int>(master.size()))
            return master[static_cast<std::size_t>(index)].text;
        return std::to_string(index);
    }
    if (IsDirectorySection(bank.section)) return TwoDigits(index);
    return TwoDigits(index + 1);
}

std::optional<int> EntryIndex(const BankWord& bank, std::string_view number) {
    const std::string wanted = UpperCase(Trim(number));
    if (IsPlanSection(bank.section)) {
        const auto& master = MasterTable();
        // "8" and "08" both name channel 08.
        const std::string padded =
            wanted.size() == 1 || (wanted.size() == 2 && wanted[1] == 'A') ? "0" + wanted : wanted;
        for (std::size_t row = 0; row < master.size(); ++row)
            if (UpperCase(master[row].text) == padded) return static_cast<int>(row);
        return std::nullopt;
    }
    const std::optional<int> n = ParseNumber(wanted);
    if (!n) return std::nullopt;
    int count = 0;
    if (bank.section == "CHWX") count = kWeatherChannels;
    if (bank.section == "CHEXP") count = kExpChannels;
    if (bank.section == "CHMMSID") count = kMemoryIds;
    if (bank.section == "CHGRPID") count = kGroupIds;
    if (*n < 1 || *n > count) return std::nullopt;
    return IsDirectorySection(bank.section) ? *n : *n - 1;
}

std::string FieldLabel(const FieldValue& field) {
    if (auto bank = SplitBankSection(field.section)) {
        std::string_view word = KeyWordOf(field.key);
        std::string label =
            std::string(bank->first->label) + " " + EntryNumber(*bank->first, bank->second) + " ";
        if (word.empty()) return label + field.key;
        if (word == "mmsi") return label + "MMSI";
        if (word.starts_with("tx ") || word.starts_with("rx "))
            return label + UpperCase(word.substr(0, 2)) + std::string(word.substr(2));
        return label + std::string(word);
    }
    return field.section + ": " + field.key;
}

FieldList::FieldList(const Records& records, ModelNumber model, Lookups lookups)
    : indexed_(lookups == Lookups::Many), fields_(ListFields(records, model)) {
    buildIndex();
}

FieldList::FieldList(const FieldList& other) : indexed_(other.indexed_), fields_(other.fields_) {
    buildIndex();
}

FieldList& FieldList::operator=(const FieldList& other) {
    if (this != &other) {
        indexed_ = other.indexed_;
        fields_ = other.fields_;
        buildIndex();
    }
    return *this;
}

void FieldList::buildIndex() {
    index_.clear();
    if (!indexed_) return;
    index_.reserve(fields_.size());
    for (std::size_t i = 0; i < fields_.size(); ++i)
        index_.try_emplace(SectionKey{fields_[i].section, fields_[i].key}, i);
}

std::optional<std::size_t> FieldList::findCanonical(std::string_view section,
                                                    std::string_view key) const {
    if (!indexed_) {
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (SameName(fields_[i].key, key) && SameName(fields_[i].section, section)) return i;
        return std::nullopt;
    }
    auto it = index_.find(SectionKey{section, key});
    if (it == index_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::size_t> FieldList::find(std::string_view address) const {
    const std::string_view text = Trim(address);
    // "SECTION.KEY": a section or key may hold a dot itself, so each dot is tried.
    for (std::size_t dot = text.find('.'); dot != std::string_view::npos;
         dot = text.find('.', dot + 1))
        if (auto found = findCanonical(text.substr(0, dot), text.substr(dot + 1))) return found;
    // Short form "bank:number.key"; the key may also be the label's word.
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::size_t dot = text.find('.', colon);
    if (dot == std::string_view::npos) return std::nullopt;
    const BankWord* bank = FindBankWord(text.substr(0, colon));
    if (!bank) return std::nullopt;
    const std::optional<int> index = EntryIndex(*bank, text.substr(colon + 1, dot - colon - 1));
    if (!index) return std::nullopt;
    const std::string section = std::string(bank->section) + std::to_string(*index);
    const std::string key(Trim(text.substr(dot + 1)));
    if (auto found = findCanonical(section, key)) return found;
    const std::string upper = UpperCase(key);
    for (const KeyWord& k : kKeyWords)
        if (UpperCase(k.word) == upper)
            if (auto found = findCanonical(section, std::string(k.key))) return found;
    return std::nullopt;
}

std::vector<FieldDifference> DiffFields(const std::vector<FieldValue>& a,
                                        const std::vector<FieldValue>& b) {
    constexpr std::string_view kNone = "(none)";
    std::vector<FieldDifference> differences;
    // Lists of one model come in the same order: compare them side by side.
    const bool aligned = a.size() == b.size() && [&] {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].key != b[i].key || a[i].section != b[i].section) return false;
        return true;
    }();
    if (aligned) {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].value != b[i].value)
                differences.push_back({a[i].address(), a[i].value, b[i].value, FieldLabel(a[i])});
        return differences;
    }
    std::unordered_map<std::string, const FieldValue*> inB;
    inB.reserve(b.size() * 2);
    for (const FieldValue& field : b) inB.emplace(field.address(), &field);
    std::unordered_map<std::string, bool> seen;
    seen.reserve(a.size() * 2);
    for (const FieldValue& field : a) {
        const std::string address = field.address();
        seen.emplace(address, true);
        auto it = inB.find(address);
        if (it == inB.end())
            differences.push_back({address, field.value, std::string(kNone), FieldLabel(field)});
        else if (it->second->value != field.value)
            differences.push_back({address, field.value, it->second->value, FieldLabel(field)});
    }
    for (const FieldValue& field : b)
        if (!seen.contains(field.address()))
            differences.push_back(
                {field.address(), std::string(kNone), field.value, FieldLabel(field)});
    return differences;
}

std::string DifferenceLine(const FieldDifference& d) {
    return d.address + ": " + d.before + " -> " + d.after + "  (" + d.label + ")";
}

} // namespace qb41
