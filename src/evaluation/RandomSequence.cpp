// The bootstrap's pseudo-random sequence (see RandomSequence.h).
#include "evaluation/RandomSequence.h"

namespace motifora {

void RandomSequence::reseed(uint32_t seed) {
    std::array<int64_t, 34> r{};
    r[0] = seed == 0 ? 1 : static_cast<int32_t>(seed);
    // Park-Miller minimal standard steps in Schrage's form, which keeps the arithmetic of the
    // C library's version (signed 32-bit state, a negative result brought back by the modulus).
    for (int i = 1; i < 31; ++i) {
        const int64_t hi = r[i - 1] / 127773;
        const int64_t lo = r[i - 1] % 127773;
        int64_t word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        r[i] = word;
    }
    for (int i = 31; i < 34; ++i) r[i] = r[i - 31];
    for (int i = 0; i < 34; ++i) ring_[i] = static_cast<uint32_t>(r[i]);
    position_ = 0;
    // The C library throws away the first 310 values of the additive sequence.
    for (int i = 0; i < 310; ++i) next();
}

int32_t RandomSequence::next() {
    // ring_[position_] holds r[i - 34]; r[i - 31] and r[i - 3] sit 3 and 31 places on.
    const uint32_t value = ring_[(position_ + 3) % 34] + ring_[(position_ + 31) % 34];
    ring_[position_] = value;
    position_ = (position_ + 1) % 34;
    return static_cast<int32_t>(value >> 1);
}

int32_t RandomIndex(RandomSequence& random, int32_t n) {
    if (n <= 0) return 0;
    return random.next() % n;
}

}  // namespace motifora
