// Window scoring speed for one class of the promoter example's size (width-10 windows, a
// 500-rule search): the 64-window class scorer beside the classificator's score per window; and
// the discriminative score of the promoter example's rules per window.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>

#include "../../tests/classify/ClassifyTestSupport.h"
#include "classify/Classificator.h"
#include "evaluation/Pipeline.h"
#include "genome/ClassScorer.h"
#include "genome/ContrastWindowScorer.h"
#include "rules/RegGenerator.h"

namespace motifora {
namespace {

constexpr int32_t kWidth = 10;

struct Workload {
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> rules;
    IdealObjectArray classes;
    Classificator engine;
    int32_t bestClass = 0;  // the class counting the most rules
    int32_t countedRules = 0;
    std::vector<uint8_t> genome;  // random A/C/G/T codes
};

// Every width-10 window of the promoter positives as a learning object, the rules of a search
// with the default settings (confidence 0.05, CP 0.8, 500 final and 50 sub-buffer places), and
// the classes of the first 200 objects; one million random letters, seed 20261207.
Workload& promoterWindows() {
    static Workload* const w = [] {
        auto* built = new Workload;  // lives for the whole benchmark run
        Workload& out = *built;
        std::ifstream in(std::string(MOTIFORA_EXAMPLES_DIR) + "/promoters_pos.seq");
        std::vector<std::string> rows;
        std::string line;
        while (std::getline(in, line)) {
            const size_t semicolon = line.find(';');
            if (semicolon == std::string::npos) continue;
            std::string letters = line.substr(semicolon + 1);
            while (!letters.empty() && (letters.back() == '\r' || letters.back() == ' '))
                letters.pop_back();
            for (size_t p = 0; p + kWidth <= letters.size(); ++p)
                rows.push_back(letters.substr(p, kWidth));
        }
        out.storage = testing::makeStorage(rows);
        out.rules = std::make_unique<RulesStorage>(500, kWidth);
        RegGenerator generator;
        generator.Init(out.storage.get(), out.rules.get(), 50, 0.05, 0.8);
        generator.RunSearch(nullptr);
        out.engine.Setup(out.storage.get(), out.rules.get(), &out.classes,
                         IdealizationType::kDeletingBegin);
        for (int32_t j = 0; j < std::min(200, out.storage->learnObjectCount); ++j)
            out.engine.IdealizeAndRegister(&out.storage->learnObjects[j], -1);
        for (int32_t k = 0; k < out.engine.idealObjectCount; ++k) {
            ClassScorer scorer;
            scorer.Build(out.engine, k);
            if (scorer.RuleCount() > out.countedRules) {
                out.countedRules = scorer.RuleCount();
                out.bestClass = k;
            }
        }
        std::mt19937 random(20261207u);
        out.genome.resize(1'000'000 + kWidth - 1);
        for (auto& c : out.genome) c = static_cast<uint8_t>(random() % 4);
        return built;
    }();
    return *w;
}

void BM_ClassScorer(benchmark::State& state) {
    Workload& w = promoterWindows();
    ClassScorer scorer;
    scorer.Build(w.engine, w.bestClass);
    const size_t windows = w.genome.size() - kWidth + 1;
    std::vector<double> scores(windows);
    std::vector<uint8_t> valid(windows);
    ScorerScratch scratch;
    for (auto _ : state) {
        scorer.Score(w.genome.data(), windows, scores.data(), valid.data(), scratch);
        benchmark::DoNotOptimize(scores.data());
    }
    state.counters["rules"] = w.rules->Count();
    state.counters["counted"] = scorer.RuleCount();
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(windows));
}

// The classificator's score of each window in turn (the first 20,000 windows).
void BM_ClassificatorScore(benchmark::State& state) {
    Workload& w = promoterWindows();
    const size_t windows = 20'000;
    SEQSElem object;
    object.allocate(kWidth, 0);
    for (auto _ : state) {
        double total = 0.0;
        for (size_t j = 0; j < windows; ++j) {
            for (int32_t p = 0; p < kWidth; ++p)
                object.setCode(w.genome[j + static_cast<size_t>(p)], p);
            total += w.engine.ScoreObject(object, 0, w.bestClass);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(windows));
}

// The promoter example's records (name;letters lines) as sequences.
std::vector<Sequence> promoterRecords(const char* file) {
    std::ifstream in(std::string(MOTIFORA_EXAMPLES_DIR) + "/" + file);
    std::vector<Sequence> records;
    std::string line;
    while (std::getline(in, line)) {
        const size_t semicolon = line.find(';');
        if (semicolon == std::string::npos) continue;
        std::string letters = line.substr(semicolon + 1);
        while (!letters.empty() && (letters.back() == '\r' || letters.back() == ' '))
            letters.pop_back();
        Sequence s;
        s.assign(letters, "r", 1);
        records.push_back(s);
    }
    return records;
}

// The discriminative rules found on the promoter positives against the negatives with the
// default settings, on single letters at their places or (`words`) on words of two letters
// beginning within three places of theirs.
std::shared_ptr<const ContrastScorer> promoterContrast(bool words) {
    const auto learn = [](ContrastShape shape) {
        LearningSettings settings;
        settings.score = ScoreKind::kDiscriminative;
        settings.searchThreads = 0;
        settings.contrastShape = shape;
        return std::make_shared<const ContrastScorer>(
            learnModel(promoterRecords("promoters_pos.seq"), promoterRecords("promoters_neg.seq"),
                       settings, {})
                .contrast);
    };
    static const std::shared_ptr<const ContrastScorer> plain = learn({});
    static const std::shared_ptr<const ContrastScorer> shaped = learn({2, 3});
    return words ? shaped : plain;
}

// The discriminative score of every window of the promoter width (57) over one million random
// letters: through the window scorer's rule bit sets (first argument 1) or object by object as
// a record's score (0, the straightforward path, on a tenth of the windows); the second
// argument 1 for the rules on words within a tolerance.
void BM_ContrastWindowScorer(benchmark::State& state) {
    const bool indexed = state.range(0) != 0;
    const std::shared_ptr<const ContrastScorer> learned = promoterContrast(state.range(1) != 0);
    const ContrastWindowScorer scorer(learned);
    const auto width = static_cast<size_t>(scorer.Width());
    std::mt19937 random(20261207u);
    std::vector<uint8_t> genome((indexed ? 1'000'000 : 100'000) + width - 1);
    for (auto& c : genome) c = static_cast<uint8_t>(random() % 4);
    const size_t windows = genome.size() - width + 1;
    std::vector<double> scores(windows);
    std::vector<uint8_t> valid(windows);
    std::vector<int32_t> codes(width);
    ScorerScratch scratch;
    for (auto _ : state) {
        if (indexed) {
            scorer.Score(genome.data(), windows, scores.data(), valid.data(), scratch);
        } else {
            for (size_t j = 0; j < windows; ++j) {
                for (size_t p = 0; p < width; ++p) codes[p] = genome[j + p];
                scores[j] = learned->score(SEQSElem(codes.data(), static_cast<int32_t>(width)));
            }
        }
        benchmark::DoNotOptimize(scores.data());
    }
    state.counters["rules"] = static_cast<double>(learned->rules.rules.size());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(windows));
}

BENCHMARK(BM_ClassScorer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassificatorScore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContrastWindowScorer)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
