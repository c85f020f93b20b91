// The seed of a test on generated data: a fixed default, printed, overridable for a search.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace motifora::test {

// Returns MOTIFORA_SEED from the environment when it is set, `fallback` otherwise, and prints
// the seed with `what` so that a failing run can be repeated exactly.
inline uint32_t testSeed(const char* what, uint32_t fallback) {
    const char* text = std::getenv("MOTIFORA_SEED");
    const uint32_t seed =
        text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
    std::printf("%s seed %u (set MOTIFORA_SEED to change)\n", what, seed);
    return seed;
}

}  // namespace motifora::test
