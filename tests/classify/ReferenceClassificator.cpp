// The straightforward classificator: each step read literally, nothing cached or indexed.
#include "ReferenceClassificator.h"

#include <cmath>

namespace motifora::testing {

void ReferenceClassificator::Setup(const SEQStorage* storage, const RulesStorage* rules,
                                   IdealizationType type) {
    storage_ = storage;
    rules_ = rules;
    type_ = type;
    width = storage->width;
    letters = storage->alphabetSize;
    matrix.assign(static_cast<size_t>(width * letters), 0.0);
}

int32_t ReferenceClassificator::prediction(const Rule& rule, double& r) const {
    double best = 0.0;
    int32_t letter = -1;
    for (int32_t l = 0; l < letters; ++l) {
        if (std::fabs(rule.LetterProbability(l)) > best) {
            best = std::fabs(rule.LetterProbability(l));
            letter = l;
        }
    }
    r = letter >= 0 ? rule.LetterProbability(letter) : 0.0;
    return letter;
}

double ReferenceClassificator::agreement(const Rule& rule, const CIdelObject& object) const {
    double r = 0.0;
    const int32_t b = prediction(rule, r);
    if (b < 0) return 0.0;
    const double w = -std::log(1.0 - std::fabs(r));
    const bool set = object.IsAllowed({rule.targetPosition, b}) != 0;
    return (r > 0) == set ? w : -w;
}

bool ReferenceClassificator::applicable(const Rule& rule, const CIdelObject& object) const {
    bool flag = true;
    for (int32_t c = 0; c < rule.ConditionCount(); ++c) {
        const RuleCondition& cond = rule.Condition(c);
        const bool set = object.IsAllowed({cond.position, cond.letter}) != 0;
        if (cond.sign > 0) {
            if (!set) return false;
        } else {
            if (set) return false;
            flag = false;
            for (int32_t l = 0; l < letters; ++l) {
                if (l != cond.letter && object.IsAllowed({cond.position, l}) != 0) flag = true;
            }
        }
    }
    return flag;
}

bool ReferenceClassificator::agreesWithClass(const Rule& rule, const CIdelObject& object) const {
    double r = 0.0;
    const int32_t b = prediction(rule, r);
    if (b < 0) return false;
    const bool set = object.IsAllowed({rule.targetPosition, b}) != 0;
    return (r > 0 && set) || (r < 0 && !set);
}

void ReferenceClassificator::BuildPredictionMatrix() {
    matrix.assign(static_cast<size_t>(width * letters), 0.0);
    applicableRules_.clear();
    for (int32_t i = 0; i < rules_->Count(); ++i) {
        if (applicable(rule(i), working)) applicableRules_.push_back(i);
    }
    for (int32_t i : applicableRules_) {
        double r = 0.0;
        const int32_t b = prediction(rule(i), r);
        if (b >= 0)
            matrix[static_cast<size_t>(rule(i).targetPosition * letters + b)] +=
                agreement(rule(i), working);
    }
}

namespace {

bool hasCondition(const Rule& rule, int16_t sign, int32_t p, int32_t l, bool otherLetter) {
    for (int32_t c = 0; c < rule.ConditionCount(); ++c) {
        const RuleCondition& cond = rule.Condition(c);
        if (cond.sign == sign && cond.position == p &&
            (otherLetter ? cond.letter != l : cond.letter == l))
            return true;
    }
    return false;
}

bool positionEmpty(const CIdelObject& object, int32_t p, int32_t letters, int32_t except) {
    for (int32_t l = 0; l < letters; ++l) {
        if (l != except && object.IsAllowed({p, l}) != 0) return false;
    }
    return true;
}

}  // namespace

double ReferenceClassificator::DeletionGain(PositionLetter c) {
    working.Forbid(c);
    const bool e = positionEmpty(working, c.position, letters, -1);
    double gain = 0.0;
    if (!e) {
        for (int32_t i = 0; i < rules_->Count(); ++i) {
            if (hasCondition(rule(i), -1, c.position, c.letter, false) &&
                applicable(rule(i), working))
                gain += agreement(rule(i), working);
        }
    }
    for (int32_t i : applicableRules_) {
        if (hasCondition(rule(i), 1, c.position, c.letter, false) ||
            (e && hasCondition(rule(i), -1, c.position, c.letter, true)))
            gain -= agreement(rule(i), working);
    }
    for (int32_t i : applicableRules_) {
        double r = 0.0;
        const int32_t b = prediction(rule(i), r);
        if (b != c.letter || rule(i).targetPosition != c.position) continue;
        const double q = rule(i).LetterProbability(c.letter);
        if (q > 0) {
            gain += std::log(1.0 - q);
        } else {
            gain -= std::log(1.0 - std::fabs(q));
        }
    }
    working.Allow(c);
    return gain;
}

double ReferenceClassificator::InsertionGain(PositionLetter c) {
    working.Allow(c);
    const bool o = positionEmpty(working, c.position, letters, c.letter);
    double gain = 0.0;
    for (int32_t i = 0; i < rules_->Count(); ++i) {
        if (applicable(rule(i), working) &&
            (hasCondition(rule(i), 1, c.position, c.letter, false) ||
             (o && hasCondition(rule(i), -1, c.position, c.letter, true))))
            gain += agreement(rule(i), working);
    }
    if (!o) {
        for (int32_t i : applicableRules_) {
            if (hasCondition(rule(i), -1, c.position, c.letter, false))
                gain -= agreement(rule(i), working);
        }
    }
    gain -= matrix[static_cast<size_t>(c.position * letters + c.letter)];
    working.Forbid(c);
    return gain;
}

void ReferenceClassificator::Idealize() {
    // Returns the first cell of strictly largest gain of one scan (or {-1, -1}).
    auto scan = [this](bool deletion, double& best) {
        best = 0.0;
        PositionLetter chosen{-1, -1};
        for (int32_t p = 0; p < width; ++p) {
            for (int32_t l = 0; l < letters; ++l) {
                if ((working.IsAllowed({p, l}) != 0) != deletion) continue;
                const double g = deletion ? DeletionGain({p, l}) : InsertionGain({p, l});
                if (g > best) {
                    best = g;
                    chosen = {p, l};
                }
            }
        }
        return chosen;
    };
    std::set<std::vector<uint8_t>> seen;
    double best = 0.0;
    if (type_ == IdealizationType::kDeletingInserting) {
        BuildPredictionMatrix();
        bool changed = true;
        while (changed && seen.insert(working.cells).second) {
            changed = false;
            PositionLetter c = scan(true, best);
            if (best > 1e-7) {
                working.Forbid(c);
                BuildPredictionMatrix();
                changed = true;
            }
            c = scan(false, best);
            if (best > 1e-7) {
                working.Allow(c);
                BuildPredictionMatrix();
                changed = true;
            }
        }
    } else {
        const bool deleteFirst = type_ == IdealizationType::kDeletingBegin;
        for (;;) {
            BuildPredictionMatrix();
            if (!seen.insert(working.cells).second) break;
            PositionLetter c = scan(deleteFirst, best);
            if (best > 1e-7) {
                deleteFirst ? working.Forbid(c) : working.Allow(c);
                continue;
            }
            BuildPredictionMatrix();
            c = scan(!deleteFirst, best);
            if (best > 1e-7) {
                deleteFirst ? working.Allow(c) : working.Forbid(c);
                continue;
            }
            break;
        }
    }
    working.ClearFullPositions();
}

int32_t ReferenceClassificator::IdealizeAndRegister(const SEQSElem* object, int32_t ruleIndex) {
    if (object != nullptr) {
        working.InitFromObject(width, letters, *object);
    } else {
        const Rule& source = rule(ruleIndex);
        working.InitEmpty(width, letters);
        for (int32_t c = 0; c < source.ConditionCount(); ++c) {
            const RuleCondition& cond = source.Condition(c);
            for (int32_t l = 0; l < letters; ++l) {
                if ((cond.sign > 0) == (l == cond.letter)) working.Allow({cond.position, l});
            }
        }
        double best = 0.0;
        int32_t letter = -1;
        for (int32_t l = 0; l < letters; ++l) {
            if (source.LetterProbability(l) > best) {
                best = source.LetterProbability(l);
                letter = l;
            }
        }
        if (letter >= 0) working.Allow({source.targetPosition, letter});
    }
    Idealize();
    for (size_t k = 0; k < idealObjects.size(); ++k) {
        if (*idealObjects[k] == working) return static_cast<int32_t>(k);
    }
    idealObjects.push_back(std::make_unique<CIdelObject>(working));
    return static_cast<int32_t>(idealObjects.size()) - 1;
}

int32_t ReferenceClassificator::ClassifyObject(const SEQSElem& object) {
    working.InitFromObject(width, letters, object);
    Idealize();
    for (size_t k = 0; k < idealObjects.size(); ++k) {
        if (*idealObjects[k] == working) return static_cast<int32_t>(k);
    }
    return -1;
}

double ReferenceClassificator::ScoreObject(const SEQSElem& object, int32_t k) {
    working.InitFromObject(width, letters, object);
    const CIdelObject& ideal = *idealObjects[static_cast<size_t>(k)];
    matrix.assign(static_cast<size_t>(width * letters), 0.0);
    for (int32_t i = 0; i < rules_->Count(); ++i) {
        if (!applicable(rule(i), working) || !applicable(rule(i), ideal) ||
            !agreesWithClass(rule(i), ideal))
            continue;
        double r = 0.0;
        const int32_t b = prediction(rule(i), r);
        matrix[static_cast<size_t>(rule(i).targetPosition * letters + b)] +=
            agreement(rule(i), working);
    }
    double score = 0.0;
    for (int32_t p = 0; p < width; ++p) {
        for (int32_t l = 0; l < letters; ++l) score += matrix[static_cast<size_t>(p * letters + l)];
    }
    return score;
}

int32_t ReferenceClassificator::RuleStatus(int32_t i, int32_t k) const {
    const CIdelObject& ideal = *idealObjects[static_cast<size_t>(k)];
    if (!applicable(rule(i), ideal)) return 0;
    return agreesWithClass(rule(i), ideal) ? 1 : 2;
}

void ReferenceClassificator::SelectIdealObject(int32_t k) {
    working = *idealObjects[static_cast<size_t>(k)];
    BuildPredictionMatrix();
}

double ReferenceClassificator::RecognitionValue(int32_t p, int32_t l) const {
    const double predicted = matrix[static_cast<size_t>(p * letters + l)];
    if (predicted > 0) return predicted;
    const bool allowed = working.IsAllowed({p, l}) != 0;
    double value = 0.0;
    for (int32_t i : applicableRules_) {
        if (allowed ? hasCondition(rule(i), 1, p, l, false) : hasCondition(rule(i), -1, p, l, true))
            value += agreement(rule(i), working);
    }
    return value;
}

}  // namespace motifora::testing
