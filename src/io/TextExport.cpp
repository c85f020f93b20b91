// The plain-text export of sequences, rules and ideal objects.
#include "io/TextExport.h"

#include "io/ByteIO.h"
#include "io/SafeFile.h"

namespace motifora {

namespace {

// A grid section of the export: the absence marker when the section is not `present`,
// otherwise a blank line, then rows 0 to `lastRow` of `grid` as `row` sets each down.
template <class RowText>
void appendGridSection(std::string& out, bool present, const GridText& grid, int32_t lastRow,
                       RowText row) {
    if (!present) {
        out += io_detail::kAbsenceMarker;
        return;
    }
    out += "\n\n";
    for (int32_t r = 0; r <= lastRow; ++r) out += row(grid, r);
}

}  // namespace

std::string TextExportBytes(const TextExportSource& source) {
    std::string out;
    if (source.learnPositiveLoaded) {
        const SEQStorage* storage = source.storage;
        for (size_t i = 0; i < source.learnPositive.size(); ++i) {
            const Sequence& record = source.learnPositive[i];
            out += std::to_string(i + 1) + " || " + std::to_string(record.length);
            out += " || " + record.name + " || " + record.text;
            if (storage != nullptr && static_cast<int64_t>(i) < storage->learnObjectCount &&
                static_cast<int64_t>(i) < storage->learnObjects.size()) {
                out += " || " + std::to_string(
                                    storage->learnObjects[static_cast<int32_t>(i)].classNumber + 1);
            }
            out += "\n";
        }
    } else {
        out += io_detail::kAbsenceMarker;
    }

    appendGridSection(out, source.rulesPresent, source.rulesGrid, source.ruleCount,
                      [](const GridText& grid, int32_t r) {
                          return grid.cell(0, r) + " || " + grid.cell(1, r) + " || " +
                                 grid.cell(2, r) + " || " + grid.cell(3, r) + "\n";
                      });
    appendGridSection(out, source.idealObjectsPresent, source.idealGrid, source.classCount,
                      [](const GridText& grid, int32_t r) {
                          return grid.cell(0, r) + " || " + grid.cell(2, r) + " \n\n";
                      });
    return out;
}

Status WriteTextExport(const std::string& fileName, const TextExportSource& source) {
    return WriteFileAtomically(fileName, TextExportBytes(source));
}

}  // namespace motifora
