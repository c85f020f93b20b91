// A snapshot of a window grid's texts, the form in which the reports and the export take them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace motifora {

// Cells are addressed as the window addresses them: (column, row), row 0 the header row.
struct GridText {
    int32_t columnCount = 0;
    std::vector<std::vector<std::string>> rows;  // rows[row][column]; short rows read as empty

    int32_t rowCount() const { return static_cast<int32_t>(rows.size()); }
    // The text of a cell; "" for a cell outside the grid or beyond a short row.
    const std::string& cell(int32_t column, int32_t row) const {
        static const std::string kEmpty;
        if (row < 0 || row >= rowCount() || column < 0) return kEmpty;
        const auto& r = rows[static_cast<size_t>(row)];
        return static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : kEmpty;
    }
};

}  // namespace motifora
