// Scores of whole objects against every class at once, and what is kept of them per sequence:
// the assigned class, the best class and score, and the score normalised against negatives.
#pragma once

#include <cstdint>
#include <vector>

#include "classify/Classificator.h"
#include "core/SEQStorage.h"

namespace motifora {

// Scores one object against every class of a set-up classificator, giving for each class exactly
// (bit for bit) what Classificator::ScoreObject gives: the object's applicable rules are found
// once per object, and each class keeps, from construction, the rules applicable to it whose
// prediction it confirms, grouped by prediction cell in store order.
// Uses the classificator's scratch state like ScoreObject, so one thread at a time; the
// classificator's classes and rules must not change while the scorer is in use.
class AllClassScorer {
  public:
    explicit AllClassScorer(Classificator& classificator);
    int32_t classCount() const { return static_cast<int32_t>(classRules_.size()); }
    // scores[k] = the object's score against class k, for every class (scores resized).
    void scoreAll(const SEQSElem& object, std::vector<double>& scores);

  private:
    Classificator& classificator_;
    std::vector<std::vector<int32_t>> classRules_;  // per class, grouped by cell, store order
    std::vector<uint8_t> applicable_;               // per rule, for the object in hand
};

// Mean and standard deviation (n - 1 denominator) of the learning negatives' scores against
// one class; usable when there were two or more and the deviation is finite and above 0.
struct ClassNorm {
    bool usable = false;
    double mean = 0.0;
    double deviation = 0.0;
};

// What is kept of one sequence.
struct SequenceScore {
    int32_t assignedClass = -1;  // the identical class after idealization; -1 "New"
    int32_t bestClass = -1;      // the class of the highest score (the first on ties); -1 none
    double bestScore = 0.0;      // not a number when there is no class
    // The largest z-score (score - mean) / deviation over the classes with a usable norm; not a
    // number without any.
    double normalizedScore = 0.0;
};

// Norms of every class from the scores of `negatives` (learning negative objects).
std::vector<ClassNorm> classNorms(AllClassScorer& scorer, const SEQSElem* negatives, int32_t count);

// Classifies `object` (without showing it) and keeps its best and normalised scores.
SequenceScore scoreSequence(Classificator& classificator, AllClassScorer& scorer,
                            const std::vector<ClassNorm>& norms, const SEQSElem& object);

}  // namespace motifora
