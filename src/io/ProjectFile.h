// The ".dnp" project file: everything a workspace holds, written and read byte for byte.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "classify/IdealizationType.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "core/Status.h"
#include "rules/CIdelObject.h"
#include "rules/RulesStorage.h"
#include "rules/SearchSettings.h"

namespace motifora {

// The header: the settings of the rule search and of idealization, as the controls hold them.
struct ProjectSettings : SearchSettings {
    IdealizationType idealizationType = IdealizationType::kDeletingBegin;
    int32_t arranged = 0;  // 1 when "Arrange in order" is checked

    bool operator==(const ProjectSettings&) const = default;
};

// One cell of the recognition table: the class number shown before the colon (1-based) and the
// score after it. Position 0 stands for a cell that held no readable score; it reads back as an
// empty cell.
struct RecognitionCell {
    int32_t position = 0;
    double score = 0.0;
};

// Scores of the control negative sequences (rows) against the classes (columns), as the control
// negative grid shows them after a recognition of all classes.
using RecognitionTable = std::vector<std::vector<RecognitionCell>>;

// Everything a project file holds, owned. The reader fills a fresh one; the workspace takes the
// parts over only when the whole file was read:
// - the four samples with their counts (`size()`), and the loaded flags below;
// - `storage` and `rules` together: every rule points at this storage (`Rule::storage`), and
//   moving the unique_ptrs keeps that pointer valid; the ideal objects and `classCount`;
// - the settings of the header; `controlNegativeClassified()`/`controlPositiveClassified()`;
// - the recognition table, shown in the control negative grid with RecognitionCellText.
// Read rules carry no letter-frequency table (it is not stored); they print and predict but are
// not meant to be evaluated again.
struct ProjectData {
    ProjectSettings settings;

    std::vector<Sequence> learnPositive;
    // The learning positive section was present (a sample was loaded, maybe empty).
    bool learnPositivePresent = false;
    std::vector<Sequence> learnNegative;
    std::vector<Sequence> controlNegative;
    std::vector<Sequence> controlPositive;

    std::unique_ptr<SEQStorage> storage;  // null: no object table
    std::unique_ptr<RulesStorage> rules;  // null: no rule store; its rules refer to `storage`
    bool idealObjectsPresent = false;     // the ideal-object section was present
    std::vector<std::unique_ptr<CIdelObject>> idealObjects;  // one per class
    int32_t classCount = 0;

    bool recognitionPresent = false;
    RecognitionTable recognition;  // controlNegative.size() rows of classCount cells

    // Loaded flags as the file implies them: the learning positive sample when it holds
    // records, the other samples when they hold records.
    bool learnPositiveLoaded() const { return !learnPositive.empty(); }
    bool learnNegativeLoaded() const { return !learnNegative.empty(); }
    bool controlNegativeLoaded() const { return !controlNegative.empty(); }
    bool controlPositiveLoaded() const { return !controlPositive.empty(); }
    // The object table holds control negative (positive) objects: they carry valid classes.
    bool controlNegativeClassified() const;
    bool controlPositiveClassified() const;
};

// What the writer needs, borrowed from the workspace (or from a ProjectData, see viewOf).
struct ProjectSource {
    ProjectSettings settings;
    std::span<const Sequence> learnPositive;
    bool learnPositiveLoaded = false;  // false writes the absence marker for the sample
    std::span<const Sequence> learnNegative;
    std::span<const Sequence> controlNegative;
    std::span<const Sequence> controlPositive;
    const SEQStorage* storage = nullptr;
    const RulesStorage* rules = nullptr;
    bool idealObjectsPresent = false;
    // The first `classCount` entries are the classes, none of them null.
    std::span<const std::unique_ptr<CIdelObject>> idealObjects;
    int32_t classCount = 0;
    const RecognitionTable* recognition = nullptr;  // null writes the absence marker
};

// A source that writes `data` back as it was read.
ProjectSource viewOf(const ProjectData& data);

// The bytes of a project file for `source`. Returns a failure (and leaves `bytes` unspecified)
// only when the data contradict themselves, e.g. a rule store without an object table or an
// object with fewer codes than the table's width; the message names the part.
Status EncodeProject(const ProjectSource& source, std::string& bytes);

// Writes `source` to `fileName` through a temporary file beside it, so that a failure leaves an
// earlier file untouched. Returns a failure naming the file and the reason.
Status WriteProject(const std::string& fileName, const ProjectSource& source);

// Reads a whole project from bytes into `data` (replaced only on success). `sourceName` names
// the file in messages. Every count and size is checked against the bytes left and against
// sane limits before anything is allocated; codes, letters, class numbers and rule positions
// are checked against the alphabet, width and class count they refer to. Returns a failure
// naming the section and what is wrong.
Status DecodeProject(std::span<const unsigned char> bytes, const std::string& sourceName,
                     ProjectData& data);

// Reads the project file `fileName` into `data` (replaced only on success).
Status ReadProject(const std::string& fileName, ProjectData& data);

// Limits of the reader, far beyond what the program makes.
namespace project_limits {
inline constexpr int32_t kMaxWidth = 1 << 20;              // positions of an object or a rule
inline constexpr int32_t kMaxTextLength = kMaxRecordText;  // characters of a name or a sequence
inline constexpr int32_t kMaxRuleCapacity = 1 << 22;       // slots of the rule store
inline constexpr size_t kMaxFileBytes = size_t{1} << 31;   // bytes of a project file
}  // namespace project_limits

}  // namespace motifora
