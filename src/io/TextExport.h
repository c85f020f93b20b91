// The "Save As Text" export: learning sequences with their classes, the rules and the ideal
// objects as the window's grids show them.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "core/Status.h"
#include "io/GridText.h"

namespace motifora {

struct TextExportSource {
    std::span<const Sequence> learnPositive;
    bool learnPositiveLoaded = false;     // false writes the absence marker for the sequences
    const SEQStorage* storage = nullptr;  // the class column is written when there is one
    bool rulesPresent = false;            // the workspace holds a rule store
    int32_t ruleCount = 0;                // rules in it: rows 0 .. ruleCount of `rulesGrid`
    GridText rulesGrid;                   // `RulesList`
    bool idealObjectsPresent = false;     // the workspace holds ideal objects
    int32_t classCount = 0;               // rows 0 .. classCount of `idealGrid`
    GridText idealGrid;                   // `IdealizObjectsList`
};

// The export's bytes. A learning sequence without a learning object of the same index (a window
// storage holding fewer objects than sequences) gets no class field rather than another
// object's class.
std::string TextExportBytes(const TextExportSource& source);

// Writes the export to `fileName` (the caller has appended ".txt" where it belongs) through a
// temporary file beside it. Returns a failure naming the file when it cannot be written; an
// earlier file of that name is then left as it was.
Status WriteTextExport(const std::string& fileName, const TextExportSource& source);

}  // namespace motifora
