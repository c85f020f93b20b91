// Builders of storages, objects and rules for the classificator tests.
#include "ClassifyTestSupport.h"

#include <algorithm>

#include "core/Sequence.h"

namespace motifora::testing {

std::unique_ptr<SEQStorage> makeStorage(const std::vector<std::string>& rows) {
    std::vector<Sequence> records(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) records[i].assign(rows[i], "s" + std::to_string(i), 1);
    auto storage = std::make_unique<SEQStorage>();
    storage->buildWhole(records.data(), static_cast<int32_t>(records.size()));
    return storage;
}

SEQSElem makeObject(const SEQStorage& storage, const std::string& text) {
    SEQSElem object;
    object.allocate(static_cast<int32_t>(text.size()), storage.alphabetSize);
    for (size_t i = 0; i < text.size(); ++i) {
        object.setCode(storage.codeTable.codeOf(static_cast<unsigned char>(text[i])),
                       static_cast<int32_t>(i));
    }
    return object;
}

std::unique_ptr<Rule> makeRule(SEQStorage& storage, const std::vector<Cond>& conditions,
                               int32_t target, const std::vector<double>& probabilities) {
    auto rule = std::make_unique<Rule>();
    rule->Init(static_cast<int32_t>(conditions.size()), &storage, 0.05, nullptr);
    for (size_t i = 0; i < conditions.size(); ++i) {
        rule->conditions[i].position = conditions[i].position;
        rule->conditions[i].sign = conditions[i].sign;
        rule->conditions[i].letter = conditions[i].letter;
    }
    rule->targetPosition = target;
    std::copy(probabilities.begin(), probabilities.end(), rule->letterProbability.begin());
    return rule;
}

TinyModel::TinyModel() {
    storage = makeStorage({"AC", "GT"});
    std::vector<std::unique_ptr<Rule>> rules;
    rules.push_back(makeRule(*storage, {{0, 1, 0}}, 1, {0.0, 0.75, 0.0, 0.0}));
    store = makeStore(std::move(rules), 2);
    engine.Setup(storage.get(), store.get(), &classes, IdealizationType::kDeletingBegin);
    auto ideal = std::make_unique<CIdelObject>();
    ideal->InitEmpty(2, 4);
    ideal->cells = {1, 0, 0, 0, 0, 1, 0, 0};
    classes.push_back(std::move(ideal));
    engine.idealObjectCount = 1;
}

std::unique_ptr<RulesStorage> makeStore(std::vector<std::unique_ptr<Rule>> rules, int32_t width) {
    auto store = std::make_unique<RulesStorage>(static_cast<int32_t>(rules.size()) + 1, width);
    // Placed in store order as they are, whatever their Fisher values.
    store->rules.resize(rules.size());
    for (size_t i = 0; i < rules.size(); ++i) store->rules[i] = std::move(rules[i]);
    store->count = static_cast<int32_t>(rules.size());
    return store;
}

CyclingSample cyclingSample() {
    std::mt19937 random(1936);
    const int32_t width = 3 + static_cast<int32_t>(random() % 6);
    const int32_t ruleCount = 2 + static_cast<int32_t>(random() % 40);
    CyclingSample s;
    s.rows = randomRows(random, 10, width);
    s.storage = makeStorage(s.rows);
    s.store = randomRules(random, *s.storage, ruleCount, false);
    return s;
}

std::vector<std::string> randomRows(std::mt19937& random, int32_t count, int32_t width) {
    static const char kLetters[] = "ACGT";
    std::vector<std::string> rows(static_cast<size_t>(count),
                                  std::string(static_cast<size_t>(width), 'A'));
    for (auto& row : rows) {
        for (auto& c : row) c = kLetters[random() % 4];
    }
    // The first row holds every letter, so the alphabet always has four codes.
    if (!rows.empty() && width >= 4) rows[0].replace(0, 4, "ACGT");
    return rows;
}

std::unique_ptr<RulesStorage> randomRules(std::mt19937& random, SEQStorage& storage, int32_t count,
                                          bool withCertainties) {
    const int32_t width = storage.width;
    const int32_t letters = storage.alphabetSize;
    std::vector<double> magnitudes = {0.0, 0.0, 0.55, 0.6, 0.75, 0.8, 0.8, 0.9, 0.95};
    if (withCertainties) magnitudes.push_back(1.0);
    std::vector<std::unique_ptr<Rule>> rules;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t target = static_cast<int32_t>(random() % static_cast<uint32_t>(width));
        std::vector<int32_t> positions;
        for (int32_t p = 0; p < width; ++p)
            if (p != target) positions.push_back(p);
        std::shuffle(positions.begin(), positions.end(), random);
        const size_t n = 1 + random() % 3;
        positions.resize(std::min(n, positions.size()));
        std::sort(positions.begin(), positions.end());
        std::vector<Cond> conditions;
        for (int32_t p : positions) {
            const int16_t sign = random() % 3 == 0 ? -1 : 1;
            conditions.push_back(
                {p, sign, static_cast<int32_t>(random() % static_cast<uint32_t>(letters))});
        }
        std::vector<double> probabilities(static_cast<size_t>(letters), 0.0);
        for (auto& v : probabilities) {
            v = magnitudes[random() % magnitudes.size()];
            if (random() % 2 == 0) v = -v;
        }
        rules.push_back(makeRule(storage, conditions, target, probabilities));
    }
    return makeStore(std::move(rules), width);
}

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

void trainModel(TrainedModel& t, std::mt19937& random, const std::string& alphabet, int32_t width,
                int32_t ruleCount, bool certainties) {
    t.storage = makeStorage(rowsOver(random, alphabet, 40, width));
    t.store = randomRules(random, *t.storage, ruleCount, certainties);
    t.engine.Setup(t.storage.get(), t.store.get(), &t.classes, kIdealizationTypes[random() % 3]);
    for (int32_t j = 0; j < 12; ++j) t.engine.IdealizeAndRegister(&t.storage->learnObjects[j], -1);
}

std::unique_ptr<RulesStorage> crowdedRules(std::mt19937& random, SEQStorage& storage,
                                           int32_t count) {
    const auto width = static_cast<uint32_t>(storage.width);
    const auto letters = static_cast<uint32_t>(storage.alphabetSize);
    const double magnitudes[] = {0.0, 0.55, 0.75, 0.8, 0.9};
    std::vector<std::unique_ptr<Rule>> rules;
    for (int32_t i = 0; i < count; ++i) {
        std::vector<Cond> conditions;
        const size_t n = 1 + random() % 4;
        for (size_t c = 0; c < n; ++c) {
            // Half of the later conditions share the position of the one before.
            const bool shared = c > 0 && random() % 2 == 0;
            const int32_t p =
                shared ? conditions.back().position : static_cast<int32_t>(random() % width);
            const int16_t sign = random() % 2 == 0 ? -1 : 1;
            conditions.push_back({p, sign, static_cast<int32_t>(random() % letters)});
        }
        std::vector<double> probabilities(letters, 0.0);
        for (auto& v : probabilities) {
            v = magnitudes[random() % std::size(magnitudes)];
            if (random() % 2 == 0) v = -v;
        }
        rules.push_back(
            makeRule(storage, conditions, static_cast<int32_t>(random() % width), probabilities));
    }
    return makeStore(std::move(rules), storage.width);
}

}  // namespace motifora::testing
