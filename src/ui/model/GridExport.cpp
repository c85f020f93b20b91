// Grids as CSV or TSV text.
#include "ui/model/GridExport.h"

#include <algorithm>
#include <cctype>

#include "io/SafeFile.h"

namespace motifora {

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

void appendCsvCell(std::string& out, const std::string& cell) {
    const bool quoted = cell.find_first_of(",\"\r\n") != std::string::npos ||
                        (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quoted) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendTsvCell(std::string& out, const std::string& cell) {
    for (char c : cell) out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
}

}  // namespace

GridTextFormat gridFormatOf(const std::string& path) {
    for (const char* suffix : {".tsv", ".tab", ".txt"})
        if (endsWith(path, suffix)) return GridTextFormat::Tsv;
    return GridTextFormat::Csv;
}

std::string gridText(const Grid& grid, GridTextFormat format, int32_t first, int32_t last) {
    std::vector<std::vector<std::string>> rows = grid.rows(0, 0);
    if (last >= std::max(first, 1)) {
        std::vector<std::vector<std::string>> body = grid.rows(std::max(first, 1), last);
        rows.insert(rows.end(), std::make_move_iterator(body.begin()),
                    std::make_move_iterator(body.end()));
    }
    const char separator = format == GridTextFormat::Csv ? ',' : '\t';
    std::string out;
    for (const auto& texts : rows) {
        for (size_t c = 0; c < texts.size(); ++c) {
            if (c > 0) out += separator;
            if (format == GridTextFormat::Csv)
                appendCsvCell(out, texts[c]);
            else
                appendTsvCell(out, texts[c]);
        }
        out += '\n';
    }
    return out;
}

std::string gridText(const Grid& grid, GridTextFormat format) {
    return gridText(grid, format, 1, grid.rowCount() - 1);
}

Status saveGridText(const Grid& grid, const std::string& path) {
    return WriteFileAtomically(path, gridText(grid, gridFormatOf(path)));
}

}  // namespace motifora
