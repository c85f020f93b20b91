// Which sample stands for a side (positive or negative) of a one-class recognition and its
// error counting, as "Error Recognition Properties" chooses it.
#pragma once

#include <cstdint>

namespace motifora {

// The radio items of either side, in this order (codeOf gives the item index).
enum class SampleSide : int32_t {
    kLearning = 0,  // "Learning": the learning positive (negative) sample
    kControl = 1,   // "Control": the control positive (negative) sample
};

}  // namespace motifora
