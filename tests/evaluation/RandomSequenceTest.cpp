// The bootstrap's random sequence against the C library's rand(), and RandomIndex.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "evaluation/RandomSequence.h"

namespace motifora {
namespace {

#if defined(__GLIBC__)
// The C library's generator is the straightforward twin: same seed, same numbers.
TEST(RandomSequence, FollowsTheCLibraryGenerator) {
    for (unsigned seed : {1u, 0u, 2u, 12345u, 4000000000u}) {
        std::printf("seed %u\n", seed);
        std::srand(seed);
        RandomSequence random(seed);
        for (int i = 0; i < 5000; ++i) ASSERT_EQ(random.next(), std::rand()) << "draw " << i;
    }
}
#endif

TEST(RandomSequence, DefaultSeedRepeatsAndReseedRestarts) {
    RandomSequence a, b(RandomSequence::kDefaultSeed);
    std::vector<int32_t> first;
    for (int i = 0; i < 100; ++i) {
        first.push_back(a.next());
        ASSERT_EQ(first.back(), b.next());
        ASSERT_GE(first.back(), 0);
    }
    a.reseed(RandomSequence::kDefaultSeed);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a.next(), first[static_cast<size_t>(i)]);
}

TEST(RandomSequence, RandomIndexStaysInRangeAndZeroForNoChoice) {
    RandomSequence random;
    EXPECT_EQ(RandomIndex(random, 0), 0);
    EXPECT_EQ(RandomIndex(random, -3), 0);
    std::vector<int> seen(7, 0);
    for (int i = 0; i < 700; ++i) {
        const int32_t a = RandomIndex(random, 7);
        ASSERT_GE(a, 0);
        ASSERT_LT(a, 7);
        ++seen[static_cast<size_t>(a)];
    }
    for (int count : seen) EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace motifora
