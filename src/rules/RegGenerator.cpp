// The regularity generator: seeding a target, the level-by-level steps, children and their tests.
#include "rules/RegGenerator.h"

#include <algorithm>

#include "core/WorkerPool.h"
#include "rules/MatchIndex.h"

namespace motifora {

RegGenerator::RegGenerator() = default;
RegGenerator::~RegGenerator() = default;

int RegGenerator::Init(SEQStorage* searched, RulesStorage* resultList, int32_t subBufferSize,
                       double fisherLimit, double cpLimit) {
    storage = searched;
    results = resultList;
    positionCount = storage != nullptr ? storage->width : 0;
    objectCount = storage != nullptr ? storage->learnObjectCount : 0;
    alphabetSize = storage != nullptr ? storage->alphabetSize : 0;
    codeCount = alphabetSize + 1;
    fisherThreshold = fisherLimit;
    cpThreshold = cpLimit;
    current.reset();
    currentBuffer = std::make_unique<RulesStorage>(subBufferSize, positionCount);
    nextBuffer = std::make_unique<RulesStorage>(subBufferSize, positionCount);
    letterFrequency = std::make_shared<LetterFrequencyTable>(positionCount, alphabetSize);
    ComputeLetterFrequencies();
    letters_ = storage != nullptr ? std::make_shared<const CCodeTable>(storage->codeTable)
                                  : std::make_shared<const CCodeTable>();
    root = std::make_unique<Rule>();
    root->Init(0, storage, fisherThreshold, letterFrequency, letters_);
    index_ = std::make_unique<MatchIndex>();
    if (storage != nullptr) index_->Build(*storage, conditionTolerance, toleranceSpan);
    evaluationCount = 0;
    return 0;
}

void RegGenerator::ComputeLetterFrequencies() {
    if (letterFrequency == nullptr || storage == nullptr) return;
    std::fill(letterFrequency->values.begin(), letterFrequency->values.end(), 0.0);
    const int32_t objects = std::min(objectCount, storage->learnObjects.size());
    std::vector<int64_t> counts(letterFrequency->values.size(), 0);
    for (int32_t o = 0; o < objects; ++o) {
        const SEQSElem& object = storage->learnObjects[o];
        const int32_t covered = std::min(positionCount, object.positionCount());
        for (int32_t p = 0; p < covered; ++p) {
            const int32_t code = object.codeAt(p);
            if (code < 0 || code >= alphabetSize) continue;
            ++counts[static_cast<size_t>(p) * static_cast<size_t>(alphabetSize) +
                     static_cast<size_t>(code)];
        }
    }
    // Without objects every share stays 0 rather than 0/0.
    if (objectCount <= 0) return;
    for (size_t k = 0; k < counts.size(); ++k) {
        letterFrequency->values[k] =
            static_cast<double>(counts[k]) / static_cast<double>(objectCount);
    }
}

void RegGenerator::SetTarget(int32_t position) {
    targetPosition = position;
    if (storage != nullptr) storage->centerPosition = position;
    if (root != nullptr) Extend(*root);
}

void RegGenerator::MarkUsedPositions(const Rule& rule) {
    usedPositions.assign(static_cast<size_t>(std::max(positionCount, 0)), 0);
    if (targetPosition >= 0 && targetPosition < positionCount) {
        usedPositions[static_cast<size_t>(targetPosition)] = 1;
    }
    for (int32_t i = 0; i < rule.conditionCount; ++i) {
        const int32_t p = rule.ConditionPosition(i);
        if (p >= 0 && p < positionCount) usedPositions[static_cast<size_t>(p)] = 1;
    }
}

bool RegGenerator::IsNew(const Rule& rule) {
    if (rule.conditionCount == 0) return false;
    if (results != nullptr && results->Contains(rule)) return false;
    if (currentBuffer->Contains(rule)) return false;
    if (nextBuffer->Contains(rule)) return false;
    return true;
}

bool RegGenerator::dropWeak(Rule& rule) {
    if (referenceEvaluation || index_ == nullptr) return rule.DropWeakConditions(fisherThreshold);
    return index_->DropWeakConditions(rule, fisherThreshold);
}

bool RegGenerator::Step() {
    if (currentBuffer == nullptr || nextBuffer == nullptr) return false;
    if (currentBuffer->Count() == 0 && nextBuffer->Count() == 0) return false;
    if (currentBuffer->Count() == 0) {
        std::swap(currentBuffer, nextBuffer);
        if (sink != nullptr) {
            sink->onEvent(BufferRewound{RuleBuffer::Current, 0});
            sink->onEvent(BufferRewound{RuleBuffer::Next, 0});
            sink->onEvent(BufferEntry{RuleBuffer::Current, 0, currentBuffer->Count(), {}, {}, {}});
        }
    }
    current = currentBuffer->RemoveAt(0);
    if (sink != nullptr) sink->onEvent(BufferRewound{RuleBuffer::Current, 1});
    const bool dropped = dropWeak(*current);
    if (!IsNew(*current)) {
        current.reset();
        return true;
    }
    Rule* rule = current.get();
    if (results != nullptr && rule->fisher <= fisherThreshold && rule->cp >= cpThreshold &&
        results->Add(current, true)) {
        results->GetTexts(results->InsertIndex(), fisherText, cpText, ruleText);
        if (sink != nullptr) {
            sink->onEvent(BufferEntry{RuleBuffer::Results, results->InsertIndex(), 1, fisherText,
                                      cpText, ruleText});
        }
    }
    // The results cannot drop the rule while it is extended: Extend only reads them.
    if (!dropped && rule->fisher > 0) Extend(*rule);
    current.reset();
    return true;
}

void RegGenerator::Extend(Rule& rule) {
    MarkUsedPositions(rule);
    if (referenceEvaluation || index_ == nullptr) {
        extendReference(rule);
    } else {
        extendFast(rule);
    }
}

void RegGenerator::extendReference(Rule& rule) {
    for (int32_t p = 0; p < positionCount; ++p) {
        if (usedPositions[static_cast<size_t>(p)] != 0) continue;
        for (int32_t j = 0; j < alphabetSize; ++j) {
            TryChild(rule, p, 1, j);
            if (alphabetSize > 2) TryChild(rule, p, -1, j);
        }
    }
}

void RegGenerator::TryChild(Rule& parent, int32_t position, int16_t sign, int32_t letter) {
    auto child = std::make_unique<Rule>();
    child->Init(parent.conditionCount + 1, storage, fisherThreshold, letterFrequency, letters_);
    parent.CopyConditionsTo(*child);
    child->AddCondition(position, sign, letter);
    ++evaluationCount;
    if (!(child->fisher < parent.fisher)) return;
    if (!(child->cp > parent.cp)) return;
    if (child->HasNoPrediction()) return;
    offerChild(std::move(child));
}

void RegGenerator::offerChild(std::unique_ptr<Rule> child) {
    if (results != nullptr && results->Contains(*child)) return;
    if (currentBuffer->Contains(*child)) return;
    if (nextBuffer->Contains(*child)) return;
    if (nextBuffer->Add(child, false)) {
        if (sink != nullptr) {
            sink->onEvent(BufferEntry{RuleBuffer::Next, nextBuffer->InsertIndex(), 1, {}, {}, {}});
        }
    }
    // A child the full buffer refused is destroyed here.
}

namespace {

struct Candidate {
    int32_t position;
    int16_t sign;
    int32_t letter;
};

}  // namespace

void RegGenerator::extendFast(Rule& rule) {
    // Candidates in the order Extend makes them; the children of one position are evaluated
    // together from one pass over the parent's match set.
    std::vector<Candidate> candidates;
    std::vector<int32_t> freePositions;
    std::vector<size_t> firstCandidate;
    for (int32_t p = 0; p < positionCount; ++p) {
        if (usedPositions[static_cast<size_t>(p)] != 0) continue;
        freePositions.push_back(p);
        firstCandidate.push_back(candidates.size());
        for (int32_t j = 0; j < alphabetSize; ++j) {
            candidates.push_back({p, 1, j});
            if (alphabetSize > 2) candidates.push_back({p, -1, j});
        }
    }
    firstCandidate.push_back(candidates.size());
    if (candidates.empty()) return;
    std::vector<uint64_t> parentMatch;
    index_->MatchSet(rule, parentMatch);
    const std::vector<int32_t> nonzero = index_->NonzeroWords(parentMatch);
    const int64_t parentCount = index_->Popcount(parentMatch);
    const size_t letters = static_cast<size_t>(std::max(alphabetSize, 0));
    std::vector<int64_t> parentLetters(letters);
    index_->ParentCounts(parentMatch, targetPosition, parentLetters.data());
    const size_t stride = letters + 1;
    std::vector<ChildEvaluation> evaluations(candidates.size());
    std::vector<double> probabilities(candidates.size() * stride, 0.0);
    const auto evaluatePositions = [&](size_t begin, size_t end) {
        std::vector<int64_t> matched(letters), joint(letters * letters), counts(letters);
        for (size_t i = begin; i < end; ++i) {
            index_->PositionCounts(parentMatch, nonzero, freePositions[i], targetPosition,
                                   matched.data(), joint.data());
            for (size_t k = firstCandidate[i]; k < firstCandidate[i + 1]; ++k) {
                const Candidate& c = candidates[k];
                const size_t j = static_cast<size_t>(c.letter);
                int64_t matchCount = matched[j];
                for (size_t l = 0; l < letters; ++l) counts[l] = joint[j * letters + l];
                if (c.sign == -1) {
                    matchCount = parentCount - matchCount;
                    for (size_t l = 0; l < letters; ++l) counts[l] = parentLetters[l] - counts[l];
                }
                evaluations[k] = index_->EvaluateCounts(
                    rule, parentCount, matchCount, counts.data(), targetPosition, *letterFrequency,
                    fisherThreshold, probabilities.data() + k * stride);
            }
        }
    };
    const int32_t threads = WorkerPool::threadsFor(threadCount);
    // Small extensions are not worth waking the pool for.
    const size_t work = nonzero.size() * candidates.size();
    if (threads <= 1 || freePositions.size() < 2 || work < 4096) {
        evaluatePositions(0, freePositions.size());
    } else {
        if (index_->pool == nullptr || index_->pool->threads() != threads)
            index_->pool = std::make_unique<WorkerPool>(threads);
        index_->pool->run(freePositions.size(), evaluatePositions);
    }
    evaluationCount += static_cast<int64_t>(candidates.size());
    // Tested and inserted strictly in candidate order, as if one child were made at a time.
    for (size_t k = 0; k < candidates.size(); ++k) {
        const ChildEvaluation& e = evaluations[k];
        if (!e.passes) continue;
        const Candidate& c = candidates[k];
        auto child = std::make_unique<Rule>();
        child->Init(rule.conditionCount + 1, storage, fisherThreshold, letterFrequency, letters_);
        rule.CopyConditionsTo(*child);
        child->InsertCondition(c.position, c.sign, c.letter);
        std::copy_n(probabilities.begin() + static_cast<std::ptrdiff_t>(k * stride),
                    std::min(stride, child->letterProbability.size()),
                    child->letterProbability.begin());
        child->fisher = e.fisher;
        child->cp = e.cp;
        child->table = e.table;
        offerChild(std::move(child));
    }
}

int32_t RegGenerator::RunSearch(RunControl* control) {
    int32_t begun = 0;
    for (int32_t t = 0; t < positionCount; ++t) {
        SetTarget(t);
        ++begun;
        bool more = true;
        while (more) {
            if (control != nullptr && !control->gate()) break;
            more = Step();
        }
        if (control != nullptr && !control->isRunning()) break;
    }
    return begun;
}

}  // namespace motifora
