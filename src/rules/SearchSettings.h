// The settings of a regularity search as one value, and the one check of their bounds that the
// window's start command, the command line and the workspace share.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "core/SampleCodes.h"

namespace motifora {

// How the search cuts the learning sequences into objects; a project's header stores it as 0
// or 1 (codeOf, fromCode).
enum class WorkMode : int32_t {
    kFixed = 0,  // "Fixed positions": each whole aligned sequence is an object
    kShift = 1,  // "Shift positions": every window of the frame width is an object
};

// What the search page sets: the Fisher criterion, the conditional-probability threshold, the
// two buffer sizes and the alignment.
struct SearchSettings {
    double confidence = 0.0;       // "Confidence interval"
    double cpThreshold = 0.0;      // "Min. level of CP"
    int32_t finishBufferSize = 0;  // "Size of Finish Buffer"
    int32_t subBufferSize = 0;     // "Size of Sub Buffers"
    WorkMode workMode = WorkMode::kFixed;
    int32_t frameWidth = 0;  // "Width of scaning frame"

    bool shiftPositions() const { return workMode == WorkMode::kShift; }
    // The same settings in fixed positions (the frame width is then not read): those of a search
    // over whole aligned sequences, as the cross-validation and the discriminative search run.
    SearchSettings inFixedPositions() const {
        SearchSettings fixed = *this;
        fixed.workMode = WorkMode::kFixed;
        return fixed;
    }
    // The values the window's edits start with.
    static SearchSettings windowDefaults() { return {0.05, 0.8, 500, 50, WorkMode::kFixed, 10}; }
    // These settings, or the window's defaults when no search has set them yet (the two
    // thresholds and the two buffer sizes all 0): what a search started now would use.
    SearchSettings orWindowDefaults() const {
        const bool searched =
            finishBufferSize != 0 || subBufferSize != 0 || confidence != 0.0 || cpThreshold != 0.0;
        return searched ? *this : windowDefaults();
    }

    bool operator==(const SearchSettings&) const = default;
};

// The checked settings, in the order they are checked.
enum class SearchField : int32_t {
    Confidence,
    CpThreshold,
    FinishBufferSize,
    SubBufferSize,
    FrameWidth
};

// What is wrong with a field.
enum class SearchFault : int32_t {
    NotANumber,  // the text is not a number (not a whole number for the sizes and the width)
    BelowLeast,  // the value is less than `bound`
    AboveMost,   // the value is more than `bound`
};

// The first field that failed, how, and the bound it crossed (0 for NotANumber).
struct SearchProblem {
    SearchField field = SearchField::Confidence;
    SearchFault fault = SearchFault::NotANumber;
    double bound = 0.0;

    bool operator==(const SearchProblem&) const = default;
};

// The values a field may take, both ends included.
struct SearchBounds {
    double least = 0.0;
    double most = 0.0;
};

// The buffers take at most this many rules when no tighter limit is asked for.
constexpr int32_t kAnyBufferSize = std::numeric_limits<int32_t>::max();

// The bounds of `field`: the confidence and the CP from 0 to 1, the finish buffer at least 2,
// the sub-buffers at least 1, both at most `largestBuffer`, the frame width at least 3.
SearchBounds searchBounds(SearchField field, int32_t largestBuffer = kAnyBufferSize);

// Checks one value of `field` against its bounds (a NaN is NotANumber); nothing when it holds.
std::optional<SearchProblem> checkSearchField(SearchField field, double value,
                                              int32_t largestBuffer = kAnyBufferSize);

// Checks settings already read, field by field in SearchField order; the frame width only in
// shift positions. Returns the first problem, or nothing when every field holds.
std::optional<SearchProblem> checkSearchSettings(const SearchSettings& settings,
                                                 int32_t largestBuffer = kAnyBufferSize);

// The problem in words for a process that was handed settings rather than typed text (a
// project's header, a cross-validation's settings): the setting by its caption, the value and
// the bound, e.g. "\"Size of Finish Buffer\" is 0, less than 2". `value` is the value checked.
std::string describeSearchProblem(const SearchProblem& problem, double value);
// Checks `settings` (checkSearchSettings) and returns the problem in words, or "" when every
// field holds: the one refusal every process that searches rules gives.
std::string searchSettingsRefusal(const SearchSettings& settings,
                                  int32_t largestBuffer = kAnyBufferSize);

// The settings as typed. A field left empty is neither read nor checked (a command-line option
// not given; the frame width while the window is in fixed positions).
struct SearchSettingsText {
    std::optional<std::string> confidence;
    std::optional<std::string> cpThreshold;
    std::optional<std::string> finishBufferSize;
    std::optional<std::string> subBufferSize;
    std::optional<std::string> frameWidth;
};

// Reads a real number as the front end reads one; false when the text is not a number.
using RealReader = std::function<bool(const std::string& text, double& value)>;

// Reads the typed fields one by one in SearchField order (reals with `readReal`, the others as
// whole numbers) and checks each as it is read; stops at the first problem, so a reader with a
// side effect (the window's switches the decimal separator) runs exactly as far as before a
// message. The fields read and found good are stored in `settings`; the others keep their
// values. Returns the problem, or nothing when every typed field holds.
std::optional<SearchProblem> readSearchSettings(const SearchSettingsText& text,
                                                const RealReader& readReal,
                                                SearchSettings& settings,
                                                int32_t largestBuffer = kAnyBufferSize);

}  // namespace motifora
