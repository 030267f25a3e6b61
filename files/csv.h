// Comma-separated values as RFC 4180 has them: fields separated by ",",
// records ended by CR LF, a field holding a comma, a quote or a line break
// quoted with '"' and its quotes doubled. The reader also takes LF line ends
// and a UTF-8 byte order mark at the start.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb41 {

struct CsvRow {
    int line = 0; // the line the record starts on, 1-based
    std::vector<std::string> cells;
};

// One record, ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& cells);

struct CsvParse {
    std::vector<CsvRow> rows;
    std::optional<std::string> error; // "line 4: a quoted field is not closed"
};
// Blank lines are skipped.
CsvParse ParseCsv(std::string_view text);

} // namespace qb41
