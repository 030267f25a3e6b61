// One bank or directory as a table: a CSV with a first column naming the
// channel or entry by the number people use ("16A", "03") and one column per
// key of the bank's settings file sections. Import checks every cell with the
// rule the window's control uses and takes the whole table or nothing.
#pragma once

#include "core/app_state.h"
#include "core/records.h"
#include "files/field_address.h"

#include <string>
#include <string_view>
#include <vector>

namespace qb41::editor {

// The bank or directory a tree node shows or belongs to ("PU", "PU12" ->
// usa; "PW" -> wx; "ExpChannel", "E3" -> exp; "SM", "SG4" -> the
// directories); nullptr for any other node.
const BankWord* BankWordForNode(std::string_view nodeKey);

// The table's bytes: UTF-8, comma separated, CR LF, RFC 4180 quoting.
std::string ExportBankCsv(const Records& records, ModelNumber model, const BankWord& bank);

struct CsvRefusal {
    int line = 0;   // 1-based
    int column = 0; // 1-based; 0 when the whole line is meant
    std::string rule;
};
// "line 4, column 3 (ChTag): RULE"
std::string RefusalLine(const CsvRefusal& refusal, const std::vector<std::string>& header);

struct CsvImport {
    std::vector<CsvRefusal> refusals; // empty when the table was taken
    std::vector<std::string> header;  // as read, for RefusalLine
    int changedCells = 0;
};

// Applies the table to the records when no cell is refused. Rows may come in
// any order and name a subset of the bank; columns a subset of its keys. A
// row that sets fields of a channel whose Enable is 0 is entered as the window
// allows it: the channel is enabled while its fields are set, then Enable
// takes the row's value (Low Power Only likewise for Power Up).
CsvImport ImportBankCsv(Records& records, AppState& state, const BankWord& bank,
                        std::string_view text);

} // namespace qb41::editor
