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
#include "support/MotifSamples.h"
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

struct Windows : ScanSink {
    std::vector<double> best;
    std::vector<uint8_t> valid;
    std::vector<ScanHit> hits;
    void windows(const FastaRecord&, int64_t, std::span<const double> scores,
                 std::span<const uint8_t> ok) override {
        best.insert(best.end(), scores.begin(), scores.end());
        valid.insert(valid.end(), ok.begin(), ok.end());
    }
    void hit(const FastaRecord&, const ScanHit& hit) override { hits.push_back(hit); }
};

std::shared_ptr<const ContrastScorer> learnedScorer(int32_t width) {
    const test::MotifSamples s =
        test::motifSamples(test::testSeed("discriminative scan", 77u), 40, width);
    LearningSettings settings;
    settings.score = ScoreKind::kDiscriminative;
    settings.search.finishBufferSize = 100;
    settings.search.subBufferSize = 20;
    LearnedModel model = learnModel(s.positives, s.negatives, settings, {});
    return std::make_shared<const ContrastScorer>(std::move(model.contrast));
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
    Windows seen;
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
