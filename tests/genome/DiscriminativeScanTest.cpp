// The genome scan with the discriminative score: every window on both strands scored as the
// discriminative scorer scores a record of its letters, windows with a letter outside the
// alphabet skipped, hits at the level, and the refusals.
#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <random>

#include "evaluation/Pipeline.h"
#include "genome/ContrastWindowScorer.h"
#include "genome/GenomeScan.h"
#include "support/LearnedDiscriminative.h"
#include "support/ScanRecorder.h"
#include "support/Seed.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

std::string reverseComplement(const std::string& text) {
    const std::map<char, char> other{{'A', 'T'}, {'C', 'G'}, {'G', 'C'}, {'T', 'A'}};
    std::string out;
    for (auto i = text.rbegin(); i != text.rend(); ++i) {
        const auto found = other.find(*i);
        out.push_back(found == other.end() ? 'N' : found->second);
    }
    return out;
}

// The score of `letters` as a learning record, or nothing when a letter is not A, C, G or T.
std::optional<double> recordScore(const ContrastScorer& scorer, const std::string& letters) {
    if (letters.find_first_not_of("ACGT") != std::string::npos) return std::nullopt;
    Sequence record;
    record.assign(letters, "w", 1);
    return scorer.score(record);
}

std::shared_ptr<const ContrastScorer> learnedScorer(int32_t width) {
    return std::make_shared<const ContrastScorer>(
        test::learnedDiscriminative("discriminative scan", 77u, width));
}

TEST(DiscriminativeScan, EveryWindowOnBothStrandsScoresAsARecordOfItsLetters) {
    const int32_t width = 12;
    const auto scorer = learnedScorer(width);
    ASSERT_GT(scorer->rules.rules.size(), 0u);
    std::mt19937 random(5u);
    std::string genome;
    for (int i = 0; i < 700; ++i) genome.push_back("ACGT"[random() % 4]);
    genome.replace(200, 6, "TATAAT");
    genome[300] = 'N';
    genome.replace(400, 3, "RYK");
    test::TempDir folder("motifora-discriminative-scan");
    std::string fasta = ">g\n";
    for (size_t i = 0; i < genome.size(); i += 60) fasta += genome.substr(i, 60) + "\n";
    const std::string path = folder.write("g.fa", fasta);

    ScanSettings settings;
    settings.bothStrands = true;
    settings.hits = true;
    settings.pieceLetters = 128;  // several pieces, windows across their joins
    settings.threads = 2;
    const std::string middle = genome.substr(190, width);
    settings.level = *recordScore(*scorer, middle);
    GenomeScanner scanner;
    test::WindowScores seen;
    std::string error;
    ASSERT_TRUE(scanner.PrepareDiscriminative(scorer, settings, error)) << error;
    EXPECT_EQ(scanner.Width(), width);
    ASSERT_TRUE(scanner.Scan(path, seen, error)) << error;

    const size_t windows = genome.size() - width + 1;
    ASSERT_EQ(seen.best.size(), windows);
    size_t skipped = 0, expectedHits = 0;
    for (size_t j = 0; j < windows; ++j) {
        const std::string letters = genome.substr(j, width);
        const std::optional<double> forward = recordScore(*scorer, letters);
        const std::optional<double> reverse = recordScore(*scorer, reverseComplement(letters));
        ASSERT_EQ(seen.valid[j] != 0, forward.has_value()) << j;
        if (!forward) {
            ++skipped;
            continue;
        }
        EXPECT_TRUE(sameBits(seen.best[j], std::max(*forward, *reverse))) << j;
        expectedHits += (*forward >= settings.level) + (*reverse >= settings.level);
    }
    EXPECT_GT(skipped, 0u);
    EXPECT_EQ(scanner.Totals().skippedWindows, static_cast<int64_t>(skipped));
    ASSERT_EQ(seen.hits.size(), expectedHits);
    for (const ScanHit& hit : seen.hits) {
        std::string letters = genome.substr(static_cast<size_t>(hit.start), width);
        if (hit.strand == '-') letters = reverseComplement(letters);
        EXPECT_EQ(hit.end - hit.start, width);
        EXPECT_EQ(hit.classOrder, 0);
        EXPECT_TRUE(sameBits(hit.score, *recordScore(*scorer, letters)));
    }
}

// Every window of random codes (a few outside the alphabet) scored by the window scorer, bit for
// bit as the scorer scores the object of its codes; windows with a code outside are invalid.
void expectWindowsScoreAsObjects(const ContrastScorer& scorer, bool indexed) {
    SCOPED_TRACE(indexed ? "indexed" : "object by object");
    const ContrastWindowScorer windows(std::make_shared<const ContrastScorer>(scorer));
    ASSERT_EQ(windows.Indexed(), indexed);
    const int32_t width = windows.Width();
    const int32_t alphabet = windows.AlphabetSize();
    ASSERT_GT(width, 0);
    std::mt19937 random(test::testSeed("discriminative windows", 11u));
    std::vector<uint8_t> codes(3000 + static_cast<size_t>(width) - 1);
    for (uint8_t& c : codes)
        c = static_cast<uint8_t>(random() % 200 == 0 ? alphabet : random() % alphabet);
    const size_t count = codes.size() - static_cast<size_t>(width) + 1;
    std::vector<double> scores(count, -1.0);
    std::vector<uint8_t> valid(count, 2);
    ScorerScratch scratch;
    // Two calls, the second starting mid-way, as a scan's pieces do.
    const size_t half = count / 2;
    windows.Score(codes.data(), half, scores.data(), valid.data(), scratch);
    windows.Score(codes.data() + half, count - half, scores.data() + half, valid.data() + half,
                  scratch);
    std::vector<int32_t> objectCodes(static_cast<size_t>(width));
    int32_t invalid = 0;
    for (size_t j = 0; j < count; ++j) {
        bool inside = true;
        for (int32_t p = 0; p < width; ++p) {
            objectCodes[static_cast<size_t>(p)] = codes[j + static_cast<size_t>(p)];
            inside = inside && codes[j + static_cast<size_t>(p)] < alphabet;
        }
        ASSERT_EQ(valid[j], inside ? 1 : 0) << j;
        if (!inside) {
            ++invalid;
            EXPECT_EQ(scores[j], 0.0) << j;
            continue;
        }
        const SEQSElem object(objectCodes.data(), width);
        ASSERT_TRUE(sameBits(scores[j], scorer.score(object)))
            << "window " << j << ": " << scores[j] << " vs " << scorer.score(object);
    }
    EXPECT_GT(invalid, 0);
}

TEST(DiscriminativeWindows, EveryKindOfScoreMatchesTheObjectByObjectScore) {
    const ContrastScorer learned = *learnedScorer(12);
    ASSERT_GT(learned.rules.rules.size(), 0u);
    expectWindowsScoreAsObjects(learned, true);

    ContrastScorer calibrated = learned;
    calibrated.calibration = {true, 0.7, -0.2};
    expectWindowsScoreAsObjects(calibrated, true);

    // Fitted weights with the letters' features, and without them with fewer rule weights than
    // rules (the rules beyond add nothing).
    std::mt19937 random(3u);
    std::uniform_real_distribution<double> weight(-2.0, 2.0);
    ContrastScorer fitted = learned;
    fitted.calibration = {true, 0.7, -0.2};  // the fitted weights come first
    fitted.model.fitted = true;
    fitted.model.letters = true;
    fitted.model.intercept = 0.3;
    for (size_t k = 0; k < learned.rules.rules.size(); ++k)
        fitted.model.ruleWeights.push_back(weight(random));
    for (int32_t cell = 0; cell < 12 * learned.rules.letters.size(); ++cell)
        fitted.model.letterWeights.push_back(weight(random));
    expectWindowsScoreAsObjects(fitted, true);
    fitted.model.letters = false;
    fitted.model.letterWeights.clear();
    fitted.model.ruleWeights.resize(fitted.model.ruleWeights.size() / 2);
    expectWindowsScoreAsObjects(fitted, true);

    // Hand-made conditions: two at one place, one beyond the width (the uncovered code there),
    // an unfilled one, and no rules at all.
    ContrastScorer hand = learned;
    ContrastRule rule;
    rule.r = 0.6;
    rule.conditions = {{2, -1, 0, true}, {2, -1, 3, true}, {5, 1, 1, true}};
    hand.rules.rules = {rule};
    rule.conditions = {{0, 1, 2, true}, {40, -1, 1, true}};  // letter 2 at place 0 decides
    rule.r = -0.4;
    hand.rules.rules.push_back(rule);
    rule.conditions = {{1, 1, 2, true}, {40, 1, 1, true}};  // never holds
    hand.rules.rules.push_back(rule);
    rule.conditions = {{3, 0, 1, true}};  // an unfilled condition never holds
    hand.rules.rules.push_back(rule);
    expectWindowsScoreAsObjects(hand, true);
    hand.rules.shape = {2, 1};  // the same conditions on words of two letters
    expectWindowsScoreAsObjects(hand, true);
    hand.rules.shape = {};
    hand.rules.rules.clear();
    expectWindowsScoreAsObjects(hand, true);

    // Words too long for their codes are scored object by object.
    ContrastScorer unindexed = learned;
    unindexed.rules.shape.wordLength = kContrastMaxWordLength + 1;
    expectWindowsScoreAsObjects(unindexed, false);
}

TEST(DiscriminativeWindows, WordsWithinATolerance) {
    for (const ContrastShape shape :
         {ContrastShape{1, 2}, ContrastShape{2, 0}, ContrastShape{2, 3}, ContrastShape{3, 1}}) {
        SCOPED_TRACE("word " + std::to_string(shape.wordLength) + ", tolerance " +
                     std::to_string(shape.tolerance));
        ContrastScorer shaped = test::learnedDiscriminative("discriminative words", 5u, 14, shape);
        ASSERT_GT(shaped.rules.rules.size(), 0u);
        ASSERT_EQ(shaped.rules.shape, shape);
        expectWindowsScoreAsObjects(shaped, true);
        shaped.calibration = {true, 1.3, 0.1};
        expectWindowsScoreAsObjects(shaped, true);
    }
}

TEST(DiscriminativeScan, RefusesRulesWithoutPositionsOrWithoutAReverseComplement) {
    GenomeScanner scanner;
    std::string error;
    ScanSettings settings;
    EXPECT_FALSE(
        scanner.PrepareDiscriminative(std::make_shared<const ContrastScorer>(), settings, error));
    EXPECT_EQ(error, "the discriminative rules have no positions to scan with");

    auto scorer = std::make_shared<ContrastScorer>(*learnedScorer(10));
    CCodeTable letters;
    Sequence protein;
    protein.assign("ACDEFGHIK", "p", 1);
    letters.addLetters(&protein, 1);
    scorer->rules.letters = letters;
    settings.bothStrands = true;
    EXPECT_FALSE(scanner.PrepareDiscriminative(scorer, settings, error));
    EXPECT_NE(error.find("both strands need a model over the letters A, C, G and T"),
              std::string::npos)
        << error;
    settings.bothStrands = false;
    EXPECT_TRUE(scanner.PrepareDiscriminative(scorer, settings, error)) << error;
}

}  // namespace
}  // namespace motifora
