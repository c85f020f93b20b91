// Sample records built from their texts, as the engine tests feed them to the readers' users.
#pragma once

#include <initializer_list>
#include <vector>

#include "core/Sequence.h"

namespace motifora::test {

// One record per text, each named "r" and starting at position 1.
inline std::vector<Sequence> records(std::initializer_list<const char*> texts) {
    std::vector<Sequence> out;
    for (const char* t : texts) {
        Sequence s;
        s.assign(t, "r", 1);
        out.push_back(s);
    }
    return out;
}

}  // namespace motifora::test
