// The pseudo-random sequence of the bootstrap draws: the C library's additive generator, seeded
// with a fixed default so that a run can be repeated.
#pragma once

#include <array>
#include <cstdint>

namespace motifora {

// The additive feedback generator behind the C library's rand() (r[i] = r[i-31] + r[i-3],
// seeded by a Park-Miller sequence, the first 310 values discarded, each value shifted right by
// one), held as an object so that its state belongs to one workspace rather than to the process
// and one sequence runs on across the bootstrap's iterations whichever thread draws. With the
// same seed it gives the same numbers as rand() after srand(seed) on the GNU C library; seed 0
// is taken as 1, as there. Not thread-safe: one thread draws at a time.
class RandomSequence {
  public:
    static constexpr uint32_t kDefaultSeed = 1;
    static constexpr int32_t kMaximum = 2147483647;

    explicit RandomSequence(uint32_t seed = kDefaultSeed) { reseed(seed); }
    // Starts the sequence again from `seed`.
    void reseed(uint32_t seed);
    // The next number, 0 ... kMaximum.
    int32_t next();

  private:
    std::array<uint32_t, 34> ring_{};
    uint32_t position_ = 0;  // index of r[i - 34] in the ring
};

// A number 0 ... n - 1: the next number of `random` taken modulo n; 0 when n is 0 or less
// (nothing is drawn then).
int32_t RandomIndex(RandomSequence& random, int32_t n);

}  // namespace motifora
