// The codes that name the four samples and the window's command groups. The samples are
// numbered three ways, each where it is used; the values are those the code has always passed,
// so anything that stores or prints one as a number keeps it (`codeOf`).
#pragma once

#include <cstdint>

namespace motifora {

// A sample of the workspace (sequence texts and names, held-out scores of the control data).
enum class SampleKind : int32_t {
    LearnPositive = 0,
    LearnNegative = 1,
    ControlNegative = 2,
    ControlPositive = 3,
};

// The grid whose score column ShowObjectScore writes: the grid of a sample.
enum class ScoreGrid : int32_t {
    LearnPositive = 0,
    LearnNegative = 1,
    ControlPositive = 2,
    ControlNegative = 3,
};

// An object set of a storage beside its learning objects (SEQStorage::addSetObjects), and the
// grid whose class column Classificator::ClassifyObject fills through SetControlClass.
enum class ObjectSetKind : int32_t {
    None = 0,  // no set: nothing is built, no grid is written
    ControlPositive = 1,
    ControlNegative = 2,
    LearnNegative = 3,
};

// What LockCommands locks and UnlockCommands unlocks.
enum class CommandLock : int32_t {
    // Lock: every process command. Unlock: every process command.
    All = 0,
    // The class search's start, pause and stop are set apart. Lock: all but those (the class
    // search runs). Unlock: all but those and the recognition, error counting and bootstrap.
    ClassSearchApart = 3,
};

// The number of a code, for a file, a format or a message.
template <typename Code>
constexpr int32_t codeOf(Code code) {
    return static_cast<int32_t>(code);
}

}  // namespace motifora
