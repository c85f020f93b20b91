// Negatives made from the positives or a genome: K-mer counts kept exactly by the shuffle, GC
// bins filled as the positives fill them, both repeatable from their seed.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "evaluation/Background.h"

namespace motifora {
namespace {

std::map<std::string, int> kmerCounts(const std::string& text, int k) {
    std::map<std::string, int> counts;
    for (size_t i = 0; i + static_cast<size_t>(k) <= text.size(); ++i)
        ++counts[text.substr(i, static_cast<size_t>(k))];
    return counts;
}

std::string randomText(size_t length, uint32_t seed, const char* letters = "ACGT") {
    std::mt19937 random(seed);
    const size_t n = std::char_traits<char>::length(letters);
    std::string text;
    for (size_t i = 0; i < length; ++i) text += letters[random() % n];
    return text;
}

struct ShuffleCase {
    std::string text;
    int k;
};

class KmerShuffle : public ::testing::TestWithParam<ShuffleCase> {};

TEST_P(KmerShuffle, KeepsEveryKmerCountAndBothEnds) {
    const std::string& text = GetParam().text;
    const int k = GetParam().k;
    uint64_t state = 7;
    int changed = 0;
    for (int draw = 0; draw < 20; ++draw) {
        const std::string out = shuffleKeepingKmers(text, k, state);
        ASSERT_EQ(out.size(), text.size());
        EXPECT_EQ(kmerCounts(out, k), kmerCounts(text, k)) << out;
        if (k > 1) {
            EXPECT_EQ(out.substr(0, static_cast<size_t>(k - 1)),
                      text.substr(0, static_cast<size_t>(k - 1)));
            EXPECT_EQ(out.substr(out.size() - static_cast<size_t>(k - 1)),
                      text.substr(text.size() - static_cast<size_t>(k - 1)));
        }
        changed += out != text ? 1 : 0;
    }
    EXPECT_GT(changed, 10);  // a shuffle, not a copy
}

INSTANTIATE_TEST_SUITE_P(Texts, KmerShuffle,
                         ::testing::Values(ShuffleCase{randomText(57, 1), 2},
                                           ShuffleCase{randomText(57, 2), 3},
                                           ShuffleCase{randomText(100, 3), 1},
                                           ShuffleCase{randomText(60, 4, "ACGTN"), 2},
                                           ShuffleCase{"AAAAACCCCCGGGGGTTTTTACGTACGTAGCT", 2},
                                           ShuffleCase{randomText(200, 5), 4}),
                         [](const ::testing::TestParamInfo<ShuffleCase>& info) {
                             return "length" + std::to_string(info.param.text.size()) + "k" +
                                    std::to_string(info.param.k) + "case" +
                                    std::to_string(info.index);
                         });

TEST(KmerShuffleEdges, ShortTextsAndRepeatsStay) {
    uint64_t state = 1;
    EXPECT_EQ(shuffleKeepingKmers("AC", 2, state), "AC");
    EXPECT_EQ(shuffleKeepingKmers("AAAAAA", 2, state), "AAAAAA");
    EXPECT_EQ(shuffleKeepingKmers("", 2, state), "");
}

TEST(ShuffledNegatives, CycleThroughThePositivesRepeatably) {
    std::vector<Sequence> positives(3);
    positives[0].assign(randomText(40, 11), "a", 1);
    positives[1].assign(randomText(40, 12), "b", 3);
    positives[2].assign(randomText(40, 13), "c", 1);
    const std::vector<Sequence> out = shuffledNegatives(positives, 7, 2, 42);
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[4].name, "shuffled5_b");
    EXPECT_EQ(out[4].startPosition, 3);
    EXPECT_EQ(kmerCounts(out[4].text, 2), kmerCounts(positives[1].text, 2));
    const std::vector<Sequence> again = shuffledNegatives(positives, 7, 2, 42);
    const std::vector<Sequence> other = shuffledNegatives(positives, 7, 2, 43);
    int differ = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].text, again[i].text);
        differ += out[i].text != other[i].text ? 1 : 0;
    }
    EXPECT_GT(differ, 0);
    EXPECT_TRUE(shuffledNegatives({}, 5, 2, 1).empty());
}

TEST(GcBins, FractionsAndBins) {
    EXPECT_DOUBLE_EQ(gcFraction("GCAT"), 0.5);
    EXPECT_DOUBLE_EQ(gcFraction("gcNN"), 1.0);
    EXPECT_DOUBLE_EQ(gcFraction("NNN"), 0.0);
    EXPECT_EQ(gcBin(0.0, 10), 0);
    EXPECT_EQ(gcBin(0.35, 10), 3);
    EXPECT_EQ(gcBin(1.0, 10), 9);
}

TEST(GenomeWindows, BinsMatchThePositivesAndWindowsWithNAreSkipped) {
    // A genome with AT-rich and GC-rich stretches and runs of N.
    std::vector<GenomeSequence> genome{{"chrA", randomText(20000, 21, "AATTTACG")},
                                       {"chrB", randomText(20000, 22, "GGCCCGTA")},
                                       {"chrN", randomText(3000, 23, "ACGTNNNN")}};
    genome[0].text[500] = 'n';
    std::vector<Sequence> positives(20);
    for (size_t i = 0; i < positives.size(); ++i)
        positives[i].assign(
            randomText(30, 100 + static_cast<uint32_t>(i), i < 12 ? "AATTTACG" : "GGCCCGTA"), "p",
            1);
    const BackgroundWindows w = gcMatchedWindows(genome, positives, 50, 9);
    ASSERT_EQ(w.records.size(), 50u);
    EXPECT_EQ(w.found, w.wanted);
    std::vector<int32_t> positiveBins(10, 0), windowBins(10, 0);
    for (const Sequence& p : positives)
        ++positiveBins[static_cast<size_t>(gcBin(gcFraction(p.text), 10))];
    int wanted = 0;
    for (size_t b = 0; b < 10; ++b) {
        // 50 windows for 20 positives: 2.5 per positive, rounded by largest remainders.
        EXPECT_LE(std::abs(2 * w.wanted[b] - 5 * positiveBins[b]), 2) << "bin " << b;
        wanted += w.wanted[b];
    }
    EXPECT_EQ(wanted, 50);
    for (const Sequence& s : w.records) {
        EXPECT_EQ(s.text.size(), 30u);
        EXPECT_EQ(s.text.find_first_not_of("ACGT"), std::string::npos) << s.name;
        ++windowBins[static_cast<size_t>(gcBin(gcFraction(s.text), 10))];
        // The name says where the window lies.
        const size_t colon = s.name.find(':');
        const std::string chrom = s.name.substr(0, colon);
        const size_t start = std::stoul(s.name.substr(colon + 1));
        const auto& g = chrom == "chrA" ? genome[0] : chrom == "chrB" ? genome[1] : genome[2];
        EXPECT_EQ(g.text.substr(start - 1, 30), s.text) << s.name;
    }
    EXPECT_EQ(windowBins, w.wanted);
    const BackgroundWindows again = gcMatchedWindows(genome, positives, 50, 9);
    ASSERT_EQ(again.records.size(), 50u);
    EXPECT_EQ(again.records[17].name, w.records[17].name);
}

TEST(GenomeWindows, AGenomeWithoutFittingWindowsGivesWhatItCan) {
    std::vector<Sequence> positives(4);
    for (auto& p : positives) p.assign(randomText(30, 5), "p", 1);
    const BackgroundWindows none = gcMatchedWindows({{"short", "ACGT"}}, positives, 10, 1);
    EXPECT_TRUE(none.records.empty());
    const BackgroundWindows allN =
        gcMatchedWindows({{"n", std::string(500, 'N')}}, positives, 10, 1);
    EXPECT_TRUE(allN.records.empty());
    EXPECT_NE(allN.found, allN.wanted);
}

}  // namespace
}  // namespace motifora
