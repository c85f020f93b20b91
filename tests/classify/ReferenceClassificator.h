// The straightforward classificator the optimised one is checked against: every rule of the
// store is read afresh and every candidate gain recomputed over all rules.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "classify/IdealizationType.h"
#include "core/SEQStorage.h"
#include "rules/CIdelObject.h"
#include "rules/RulesStorage.h"

namespace motifora::testing {

class ReferenceClassificator {
  public:
    void Setup(const SEQStorage* storage, const RulesStorage* rules, IdealizationType type);

    int32_t IdealizeAndRegister(const SEQSElem* object, int32_t ruleIndex);
    int32_t ClassifyObject(const SEQSElem& object);
    double ScoreObject(const SEQSElem& object, int32_t k);
    int32_t RuleStatus(int32_t i, int32_t k) const;
    void SelectIdealObject(int32_t k);
    double RecognitionValue(int32_t p, int32_t l) const;
    double PredictionValue(int32_t p, int32_t l) const {
        return matrix[static_cast<size_t>(p * letters + l)];
    }

    // The steps on `working`, for comparing single gains.
    void StartFromObject(const SEQSElem& object) { working.InitFromObject(width, letters, object); }
    void BuildPredictionMatrix();
    double DeletionGain(PositionLetter cell);
    double InsertionGain(PositionLetter cell);
    void Idealize();

    std::vector<std::unique_ptr<CIdelObject>> idealObjects;
    CIdelObject working;
    std::vector<double> matrix;

  private:
    // Predicted letter (-1 none) and its signed probability.
    int32_t prediction(const Rule& rule, double& r) const;
    double agreement(const Rule& rule, const CIdelObject& object) const;
    bool applicable(const Rule& rule, const CIdelObject& object) const;
    bool agreesWithClass(const Rule& rule, const CIdelObject& object) const;
    const Rule& rule(int32_t i) const { return *rules_->Get(i); }

    const SEQStorage* storage_ = nullptr;
    const RulesStorage* rules_ = nullptr;
    IdealizationType type_ = IdealizationType::kDeletingBegin;
    int32_t width = 0;
    int32_t letters = 0;
    std::vector<int32_t> applicableRules_;
};

}  // namespace motifora::testing
