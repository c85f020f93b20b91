// The class scorer against the classificator's own score of each window, bit for bit, on
// generated samples, rules, classes and windows over several alphabets and widths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "../classify/ClassifyTestSupport.h"
#include "classify/Classificator.h"
#include "genome/ClassScorer.h"

namespace motifora::testing {
namespace {

constexpr uint32_t kSeed = 20261207u;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A learning sample over `alphabet` whose first row holds every letter (when wide enough).
std::vector<std::string> rowsOver(std::mt19937& random, const std::string& alphabet, int32_t count,
                                  int32_t width) {
    std::vector<std::string> rows(static_cast<size_t>(count),
                                  std::string(static_cast<size_t>(width), alphabet[0]));
    for (auto& row : rows) {
        for (auto& c : row) c = alphabet[random() % alphabet.size()];
    }
    for (size_t i = 0; i < alphabet.size() && i < static_cast<size_t>(width); ++i)
        rows[0][i] = alphabet[i];
    return rows;
}

struct Trained {
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
    IdealObjectArray classes;
    Classificator engine;
};

// Classes made by idealizing the first learning objects against generated rules.
void train(Trained& t, std::mt19937& random, const std::string& alphabet, int32_t width,
           int32_t ruleCount, bool certainties) {
    t.storage = makeStorage(rowsOver(random, alphabet, 40, width));
    t.store = randomRules(random, *t.storage, ruleCount, certainties);
    t.engine.Setup(t.storage.get(), t.store.get(), &t.classes, kIdealizationTypes[random() % 3]);
    for (int32_t j = 0; j < 12; ++j) t.engine.IdealizeAndRegister(&t.storage->learnObjects[j], -1);
}

// The classificator's score of the window starting at `first`.
double referenceScore(Trained& t, const std::vector<uint8_t>& codes, size_t first, int32_t k) {
    SEQSElem object;
    object.allocate(t.storage->width, 0);
    for (int32_t p = 0; p < t.storage->width; ++p)
        object.setCode(codes[first + static_cast<size_t>(p)], p);
    return t.engine.ScoreObject(object, 0, k);
}

// Letter codes with runs of letters outside the alphabet (kNoLetter and codes just above it).
std::vector<uint8_t> randomCodes(std::mt19937& random, size_t n, int32_t letters) {
    std::vector<uint8_t> codes(n);
    for (auto& c : codes) {
        const uint32_t draw = random() % 200;
        if (draw == 0)
            c = kNoLetter;
        else if (draw == 1)
            c = static_cast<uint8_t>(letters);
        else
            c = static_cast<uint8_t>(random() % static_cast<uint32_t>(letters));
    }
    return codes;
}

void checkAgainstReference(const std::string& alphabet, int32_t width, int32_t ruleCount,
                           bool certainties, uint32_t seed) {
    SCOPED_TRACE("alphabet " + alphabet + " width " + std::to_string(width) + " seed " +
                 std::to_string(seed));
    std::mt19937 random(seed);
    Trained t;
    train(t, random, alphabet, width, ruleCount, certainties);
    ASSERT_GT(t.engine.idealObjectCount, 0);
    const auto letters = static_cast<int32_t>(alphabet.size());
    for (int32_t k = 0; k < std::min(t.engine.idealObjectCount, 4); ++k) {
        ClassScorer scorer;
        ASSERT_TRUE(scorer.Build(t.engine, k));
        EXPECT_EQ(scorer.Width(), width);
        // 200 windows: three full blocks of 64 and a partial one.
        const size_t count = 200;
        std::vector<uint8_t> codes =
            randomCodes(random, count + static_cast<size_t>(width) - 1, letters);
        // Windows made of the class's own learning objects score high and exercise many rules.
        for (size_t at = 0; at + static_cast<size_t>(width) <= codes.size(); at += 37) {
            const SEQSElem& object = t.storage->learnObjects[static_cast<int32_t>(at % 12)];
            for (int32_t p = 0; p < width; ++p)
                codes[at + static_cast<size_t>(p)] = static_cast<uint8_t>(object.codeAt(p));
        }
        std::vector<double> scores(count, -1.0);
        std::vector<uint8_t> valid(count, 9);
        ScorerScratch scratch;
        scorer.Score(codes.data(), count, scores.data(), valid.data(), scratch);
        // Where the wide sums run, the window-by-window sums must give the same bits.
        ClassScorer narrow = scorer;
        narrow.UseNarrowSums();
        std::vector<double> narrowScores(count, -1.0);
        std::vector<uint8_t> narrowValid(count, 9);
        narrow.Score(codes.data(), count, narrowScores.data(), narrowValid.data(), scratch);
        EXPECT_EQ(narrowValid, valid);
        int32_t nonZero = 0;
        for (size_t j = 0; j < count; ++j) {
            bool full = true;
            for (int32_t p = 0; p < width; ++p)
                full = full && codes[j + static_cast<size_t>(p)] < letters;
            ASSERT_EQ(valid[j], full ? 1 : 0) << "window " << j;
            if (!full) {
                EXPECT_EQ(scores[j], 0.0);
                continue;
            }
            const double expected = referenceScore(t, codes, j, k);
            nonZero += expected != 0.0 ? 1 : 0;
            EXPECT_TRUE(sameBits(scores[j], expected))
                << "class " << k << " window " << j << ": " << scores[j] << " vs " << expected;
            EXPECT_TRUE(sameBits(narrowScores[j], expected))
                << "class " << k << " window " << j << ": " << narrowScores[j] << " vs "
                << expected;
        }
        EXPECT_GT(nonZero, 0) << "class " << k << ": no window was scored by any rule";
    }
}

TEST(ClassScorer, EqualsClassificatorScoreBitForBit) {
    const struct {
        std::string alphabet;
        int32_t width;
        int32_t rules;
        bool certainties;
    } cases[] = {
        {"ACGT", 10, 500, false},
        {"ACGT", 10, 300, true},  // infinite weights give infinite and not-a-number sums
        {"AB", 7, 200, false},
        {"ACDEFGHIKLMNPQRSTVWY", 12, 400, false},
        {"ACGT", 70, 300, false},  // windows wider than a 64-bit word
        {"ACGT", 2, 40, false},
    };
    for (const auto& c : cases) {
        for (uint32_t round = 0; round < 3; ++round)
            checkAgainstReference(c.alphabet, c.width, c.rules, c.certainties, kSeed + round);
    }
}

TEST(ClassScorer, WorkedExampleAndWindowCounts) {
    // Letters A, C; the rule "A at position 1 predicts C at position 2" with r = 0.75 (w = ln 4);
    // the class {A} {C}.
    auto storage = makeStorage({"AC"});
    std::vector<std::unique_ptr<Rule>> rules;
    rules.push_back(makeRule(*storage, {{0, 1, 0}}, 1, {0.0, 0.75}));
    auto store = makeStore(std::move(rules), 2);
    IdealObjectArray classes;
    Classificator engine;
    engine.Setup(storage.get(), store.get(), &classes, IdealizationType::kDeletingBegin);
    auto ideal = std::make_unique<CIdelObject>();
    ideal->InitEmpty(2, 2);
    ideal->cells = {1, 0, 0, 1};
    classes.push_back(std::move(ideal));
    engine.idealObjectCount = 1;

    ClassScorer scorer;
    ASSERT_TRUE(scorer.Build(engine, 0));
    EXPECT_EQ(scorer.RuleCount(), 1);
    // Sequence A C A A C C: windows AC, CA, AA, AC, CC.
    const std::vector<uint8_t> codes = {0, 1, 0, 0, 1, 1};
    std::vector<double> scores(5);
    std::vector<uint8_t> valid(5);
    ScorerScratch scratch;
    scorer.Score(codes.data(), 5, scores.data(), valid.data(), scratch);
    const double ln4 = std::log(4.0);
    EXPECT_EQ(scores, (std::vector<double>{ln4, 0.0, -ln4, ln4, 0.0}));
    EXPECT_EQ(valid, (std::vector<uint8_t>{1, 1, 1, 1, 1}));

    // No windows: nothing is written.
    scores.assign(1, 7.0);
    scorer.Score(codes.data(), 0, scores.data(), valid.data(), scratch);
    EXPECT_EQ(scores[0], 7.0);

    EXPECT_FALSE(ClassScorer().Build(engine, 1));
    EXPECT_FALSE(ClassScorer().Build(engine, -1));
    ClassScorer empty;
    EXPECT_EQ(empty.Width(), 0);
    scores.assign(5, 7.0);
    empty.Score(codes.data(), 5, scores.data(), valid.data(), scratch);
    EXPECT_EQ(scores[0], 7.0);
}

}  // namespace
}  // namespace motifora::testing
