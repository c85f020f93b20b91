// Shared helpers of the classificator tests: storages and rules made by hand or at random.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "classify/Classificator.h"
#include "core/SEQStorage.h"
#include "rules/RulesStorage.h"

namespace motifora::testing {

// A storage whose learning objects are `rows` (whole sequences, equal lengths); codes follow
// the first appearance of each letter.
std::unique_ptr<SEQStorage> makeStorage(const std::vector<std::string>& rows);

// Codes of `text` in the storage's table, as a free-standing object.
SEQSElem makeObject(const SEQStorage& storage, const std::string& text);

struct Cond {
    int32_t position;
    int16_t sign;
    int32_t letter;
};

// A rule bound to `storage` with the given conditions, target and letter probabilities.
std::unique_ptr<Rule> makeRule(SEQStorage& storage, const std::vector<Cond>& conditions,
                               int32_t target, const std::vector<double>& probabilities);

// A rule store holding `rules` in the given order.
std::unique_ptr<RulesStorage> makeStore(std::vector<std::unique_ptr<Rule>> rules, int32_t width);

// A model over A, C, G, T with width 2 and the rule "A at position 1 predicts C at position 2"
// (r = 0.75, w = ln 4); class 1 is {A} {C}.
struct TinyModel {
    TinyModel();
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
    IdealObjectArray classes;
    Classificator engine;
};

// Random rows over "ACGT" and random rules over them: 1..3 conditions at distinct positions
// (negative ones too), probabilities drawn from a small set so that equal magnitudes, opposite
// signs and rules without prediction all occur.
std::vector<std::string> randomRows(std::mt19937& random, int32_t count, int32_t width);
std::unique_ptr<RulesStorage> randomRules(std::mt19937& random, SEQStorage& storage, int32_t count,
                                          bool withCertainties);
// Rules as above but crowded: 1..4 conditions at any positions, so that a rule may hold two
// conditions at one position, even on one cell (with equal or opposite signs), or a condition at
// its own target.
std::unique_ptr<RulesStorage> crowdedRules(std::mt19937& random, SEQStorage& storage,
                                           int32_t count);

// Generated data (seed 1936) on which "Inserting begin" turns the object of its first row, CCC,
// round a cycle of four changes.
struct CyclingSample {
    std::vector<std::string> rows;
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
};
CyclingSample cyclingSample();

// A learning sample over `alphabet` whose first row holds every letter (when wide enough).
std::vector<std::string> rowsOver(std::mt19937& random, const std::string& alphabet, int32_t count,
                                  int32_t width);

// Generated rules and the classes made by idealizing the first learning objects against them.
struct TrainedModel {
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
    IdealObjectArray classes;
    Classificator engine;
};
// 40 rows over `alphabet`, `ruleCount` random rules (with certainties: some rules of r = +-1)
// and the classes of the first 12 rows under a random idealization type.
void trainModel(TrainedModel& t, std::mt19937& random, const std::string& alphabet, int32_t width,
                int32_t ruleCount, bool certainties);

}  // namespace motifora::testing
