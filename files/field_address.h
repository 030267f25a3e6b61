// Field addresses: every value the settings data file carries, named by the
// section and key the writer gives it, joined by a dot ("CHUSA16.ChTag",
// "DSC Setup (Basic Setup).User MMSI"). The list is taken from the writer's
// own output, so an address exists exactly when the writer writes that line
// for the model, and the value shown is the value as the file stores it.
//
// Input is matched without regard to case. Short forms name a channel or
// entry by the number people use ("usa:16.name" is channel 16 of the USA
// bank, "individual:3.mmsi" the third directory entry); every output uses the
// canonical address.
#pragma once

#include "core/model.h"
#include "core/records.h"
#include "files/section_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qb41 {

struct FieldValue {
    std::string section; // as written, without brackets
    std::string key;     // as written
    std::string value;   // the stored text: the line's value with the text marker removed
    bool marked = false; // written "key=#text"

    std::string address() const { return section + "." + key; }
};

// Every field of the records as the writer writes them for `model`, in file order.
std::vector<FieldValue> ListFields(const Records& records, ModelNumber model);

// The field list with a lookup by address (canonical, any case, or short form).
class FieldList {
public:
    // How the list will be used: for many lookups it keeps an index; for a
    // lookup or two a search through the list is quicker than building one.
    enum class Lookups { Many, Few };
    FieldList(const Records& records, ModelNumber model, Lookups lookups = Lookups::Many);
    FieldList(const FieldList& other);
    FieldList& operator=(const FieldList& other);
    FieldList(FieldList&&) noexcept = default; // the fields stay where they are
    FieldList& operator=(FieldList&&) noexcept = default;
    ~FieldList() = default;

    const std::vector<FieldValue>& fields() const { return fields_; }
    // The index of the field an address names; nullopt when none does.
    std::optional<std::size_t> find(std::string_view address) const;
    std::optional<std::size_t> findCanonical(std::string_view section, std::string_view key) const;

private:
    void buildIndex();

    bool indexed_ = true;
    std::vector<FieldValue> fields_;
    // Section and key of each field (views into fields_), any case.
    std::unordered_map<SectionKey, std::size_t, NameHash, NameEqual> index_;
};

// "USA 08 name", "WX 03 scan", "Individual 02 MMSI", "Common Setup: Dual Watch".
std::string FieldLabel(const FieldValue& field);

// The banks a short form or a table export names, by their lower-case word.
struct BankWord {
    std::string_view word;    // "usa", "intl", "canada", "wx", "exp", "individual", "group"
    std::string_view section; // "CHUSA", ..., "CHMMSID", "CHGRPID"
    std::string_view label;   // "USA", "INTL", "Canada", "WX", "EXP", "Individual", "Group"
};
const std::vector<BankWord>& BankWords();
const BankWord* FindBankWord(std::string_view word);

// The number people use for section number `index` of a bank: the plan
// channel text ("08", "16A"), the weather or EXP channel 01.., the entry number.
std::string EntryNumber(const BankWord& bank, int index);
// The section number of an entry number ("16a" in a plan bank, "3"
// elsewhere); nullopt when the bank has no such entry.
std::optional<int> EntryIndex(const BankWord& bank, std::string_view number);

// One field that differs between two lists; a field only one list has shows
// "(none)" for the other.
struct FieldDifference {
    std::string address;
    std::string before;
    std::string after;
    std::string label;
};
std::vector<FieldDifference> DiffFields(const std::vector<FieldValue>& a,
                                        const std::vector<FieldValue>& b);
// "ADDRESS: BEFORE -> AFTER  (label)"
std::string DifferenceLine(const FieldDifference& difference);

} // namespace qb41
