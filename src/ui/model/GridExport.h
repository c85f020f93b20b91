// A grid of the window as a table another program reads: comma-separated (CSV) or
// tab-separated (TSV) text, for the clipboard and for files.
#pragma once

#include <cstdint>
#include <string>

#include "core/Status.h"
#include "ui/model/Controls.h"

namespace motifora {

enum class GridTextFormat { Csv, Tsv };

// The format a file name asks for: ".tsv", ".tab" and ".txt" (in any case) give TSV, anything
// else CSV.
GridTextFormat gridFormatOf(const std::string& path);

// Rows `first` to `last` of `grid` (grid rows, clamped to the grid; the header row 0 always comes
// first), every column, one line per row ending in "\n". CSV puts a cell holding a comma, a quote,
// a line break or spaces at either end between quotes, doubling its quotes; TSV writes cells as
// they are, except that a tab or a line break inside a cell becomes a space. The caller holds no
// lock: the grid's own mutex is taken for the whole read, so the rows come from one moment.
std::string gridText(const Grid& grid, GridTextFormat format, int32_t first, int32_t last);
// The whole grid.
std::string gridText(const Grid& grid, GridTextFormat format);

// Writes the whole grid to `path` in the format its name asks for (gridFormatOf), replacing
// the file only when the write is complete. The failure names the file.
Status saveGridText(const Grid& grid, const std::string& path);

}  // namespace motifora
