// Reads back CSV (quoted cells, doubled quotes, line breaks inside quotes) or TSV text as rows of
// cells, so that tests compare an exported table with the grid it came from.
#pragma once

#include <string>
#include <vector>

#include "ui/model/Controls.h"

namespace motifora::test {

// The rows of `text`, each line ending in "\n"; `separator` ',' reads CSV quoting, any other
// separator splits plainly.
inline std::vector<std::vector<std::string>> parseDelimited(const std::string& text,
                                                            char separator) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                cell += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && separator == ',' && cell.empty()) {
            quoted = true;
        } else if (c == separator) {
            row.push_back(std::move(cell));
            cell.clear();
        } else if (c == '\n') {
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
        } else {
            cell += c;
        }
    }
    if (!cell.empty() || !row.empty()) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Every row of `grid`, header first, as the grid holds it.
inline std::vector<std::vector<std::string>> gridRows(const Grid& grid) {
    return grid.rows(0, grid.rowCount() - 1);
}

}  // namespace motifora::test
