// What the engines and the workspace's processes report while they run: one plain struct per
// thing that happened, and the one sink they report to. Each event says what happened in the
// engine's own terms (objects, classes, rules, rounds); a front end decides how to show it.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "core/SampleCodes.h"

namespace motifora {

// ---- the regularity search's buffers ----

// The three rule buffers of a search: the results, the buffer being extended and the buffer the
// extensions go to. The numbers are the buffers' numbers in the search's reports.
enum class RuleBuffer : int32_t { Results = 0, Current = 1, Next = 2 };

// An entry went into `buffer` at `position` (0-based; for the results, the place in their
// order), counting `step` entries. A rule accepted into the results carries its texts (Fisher
// "%f", CP "%f", rule); the other buffers' entries carry none. When the next buffer becomes the
// current one, the current buffer is reported as filled with all its entries at once.
struct BufferEntry {
    RuleBuffer buffer = RuleBuffer::Results;
    int32_t position = 0;
    int32_t step = 1;
    std::string fisherText, cpText, ruleText;
};

// `amount` entries left `buffer`; 0: it was emptied.
struct BufferRewound {
    RuleBuffer buffer = RuleBuffer::Current;
    int32_t amount = 0;
};

// ---- the classes ----

// The object being idealized changed: its text now, or the status of an object idealized
// elsewhere as it is registered.
struct ObjectIdealizing {
    std::string text;
};

// A new class was made from the object being idealized: its ideal object's text and value and
// its index (0-based).
struct ClassMade {
    std::string text;
    double value = 0.0;
    int32_t index = 0;
};

// A class already made, listed again (as ClassMade says it) when the workspace is asked to.
struct ClassListed {
    std::string text;
    double value = 0.0;
    int32_t index = 0;
};

// Learning object `object` (0-based, in the learning objects' order) joined class `classIndex`.
struct LearningObjectClassed {
    int32_t object = 0;
    int32_t classIndex = 0;
};

// Rule `rule` (0-based, in the rule list's order) made or joined class `classIndex`.
struct RuleClassed {
    int32_t rule = 0;
    int32_t classIndex = 0;
};

// Object `object` (0-based) of the object set `set` was classified: into class `classIndex`,
// or into no class (-1, a new object).
struct SetObjectClassed {
    ObjectSetKind set = ObjectSetKind::None;
    int32_t object = 0;
    int32_t classIndex = -1;
};

// `remaining` items (objects or rules) are left for the running loop, this one included.
struct ItemsLeft {
    int32_t remaining = 0;
};

// ---- recognition ----

// Control negative object `object` scored `score` against class `classIndex`.
struct ClassScored {
    int32_t object = 0;
    int32_t classIndex = 0;
    double score = 0.0;
};

// Object `object` (0-based) of sample `sample` scored `score` against its own class.
struct ObjectScored {
    SampleKind sample = SampleKind::LearnPositive;
    int32_t object = 0;
    double score = 0.0;
};

// The first `windows` window scores of the workspace's scan are ready.
struct ScanScored {
    int32_t windows = 0;
};

// An object recognition ended; `positives` positive objects of its class were scored (0 for a
// recognition of every class, or one that was stopped or failed).
struct RecognitionFinished {
    int32_t positives = 0;
};

// ---- bootstrap ----

// A bootstrap round drew its kept and held-out positives (the workspace holds them).
struct BootstrapRoundBegun {};

// The round's idealization made `classes` classes.
struct BootstrapClassesMade {
    int32_t classes = 0;
};

// Round `round` (1 for the first) ended with these first- and second-level errors.
struct BootstrapRoundEnded {
    int32_t round = 0;
    double firstError = 0.0;
    double secondError = 0.0;
};

// All `rounds` rounds ended; their averages are due.
struct BootstrapAveraged {
    int32_t rounds = 0;
};

// The bootstrap run ended (finished, stopped or failed).
struct BootstrapEnded {};

using ProgressEvent =
    std::variant<BufferEntry, BufferRewound, ObjectIdealizing, ClassMade, ClassListed,
                 LearningObjectClassed, RuleClassed, SetObjectClassed, ItemsLeft, ClassScored,
                 ObjectScored, ScanScored, RecognitionFinished, BootstrapRoundBegun,
                 BootstrapClassesMade, BootstrapRoundEnded, BootstrapAveraged, BootstrapEnded>;

// Where the events go. `onEvent` may be called from a worker thread, while the worker waits:
// it must be quick and must not wait for the worker.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void onEvent(const ProgressEvent& event) = 0;
};

}  // namespace motifora
