#include "csv.h"

namespace qb41 {

std::string CsvRecord(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        const std::string& cell = cells[i];
        if (cell.find_first_of(",\"\r\n") == std::string::npos) {
            out += cell;
            continue;
        }
        out += '"';
        for (char c : cell) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out + "\r\n";
}

CsvParse ParseCsv(std::string_view text) {
    CsvParse result;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        CsvRow row;
        row.line = line;
        std::string cell;
        bool ended = false;
        bool any = false; // the record has some content (a blank line has none)
        while (!ended) {
            if (i < text.size() && text[i] == '"') {
                any = true;
                ++i;
                for (;;) {
                    if (i >= text.size()) {
                        result.error =
                            "line " + std::to_string(row.line) + ": a quoted field is not closed";
                        return result;
                    }
                    const char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            cell += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++line;
                    cell += c;
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                    result.error = "line " + std::to_string(line) +
                                   ": text after the closing quote of a field";
                    return result;
                }
            }
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                cell += text[i++];
                any = true;
            }
            if (i >= text.size()) {
                ended = true;
            } else if (text[i] == ',') {
                any = true;
                ++i;
            } else {
                if (text[i] == '\r') ++i;
                if (i < text.size() && text[i] == '\n') ++i;
                ++line;
                ended = true;
            }
            row.cells.push_back(std::move(cell));
            cell.clear();
        }
        if (any) result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace qb41
