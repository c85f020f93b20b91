// The plain-text export of sequences, rules and ideal objects.
#include "io/TextExport.h"

#include "io/ByteIO.h"
#include "io/SafeFile.h"

namespace motifora {

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

    if (source.rulesPresent) {
        out += "\n\n";
        const GridText& grid = source.rulesGrid;
        for (int32_t r = 0; r <= source.ruleCount; ++r) {
            out += grid.cell(0, r) + " || " + grid.cell(1, r) + " || ";
            out += grid.cell(2, r) + " || " + grid.cell(3, r);
            out += "\n";
        }
    } else {
        out += io_detail::kAbsenceMarker;
    }

    if (source.idealObjectsPresent) {
        out += "\n\n";
        const GridText& grid = source.idealGrid;
        for (int32_t r = 0; r <= source.classCount; ++r) {
            out += grid.cell(0, r) + " || " + grid.cell(2, r) + " ";
            out += "\n\n";
        }
    } else {
        out += io_detail::kAbsenceMarker;
    }
    return out;
}

Status WriteTextExport(const std::string& fileName, const TextExportSource& source) {
    return WriteFileAtomically(fileName, TextExportBytes(source));
}

}  // namespace motifora
