// The regularity generator: seeding a target, the level-by-level steps, children and their tests.
#include "rules/RegGenerator.h"

#include <algorithm>

#include "core/WorkerPool.h"
#include "rules/MatchIndex.h"

namespace motifora {

namespace {

struct Candidate {
    int32_t position;
    int16_t sign;
    int32_t letter;
};

}  // namespace

// The children of one rule, evaluated (possibly ahead of the rule's turn, on a copy of it)
// before they are offered to the buffers.
struct RegGenerator::Extension {
    const Rule* source = nullptr;       // the buffered rule this was made for
    std::unique_ptr<Rule> weeded;       // its copy after dropWeak, which becomes the current rule
    bool dropped = false;               // what dropWeak returned
    bool extended = false;              // the copy is to be extended (not dropped, fisher above 0)
    std::vector<Candidate> candidates;  // in the order Extend makes them
    std::vector<int32_t> freePositions;
    std::vector<size_t> firstCandidate;  // per free position, and the end
    std::vector<uint64_t> parentMatch;
    std::vector<int32_t> nonzero;
    int64_t parentCount = 0;
    std::vector<int64_t> parentLetters;
    std::vector<ChildEvaluation> evaluations;
    std::vector<double> probabilities;  // stride letters + 1 per candidate
};

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
    ahead_.clear();
    aheadNext_ = 0;
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
    ahead_.clear();
    aheadNext_ = 0;
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
        prepareCurrentBuffer();
    }
    Extension* const ahead = takeAhead(currentBuffer->Get(0));
    current = currentBuffer->RemoveAt(0);
    if (sink != nullptr) sink->onEvent(BufferRewound{RuleBuffer::Current, 1});
    bool dropped = false;
    if (ahead != nullptr) {
        // The copy weeded ahead is what dropWeak makes of the rule now.
        current = std::move(ahead->weeded);
        dropped = ahead->dropped;
    } else {
        dropped = dropWeak(*current);
    }
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
    if (!dropped && rule->fisher > 0) {
        if (ahead != nullptr && ahead->extended) {
            MarkUsedPositions(*rule);
            offerChildren(*rule, *ahead);
        } else {
            Extend(*rule);
        }
    }
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

bool RegGenerator::refusedByFullNextBuffer(double fisher) const {
    // A full list places a rule after every rule of a Fisher value at most its own, which for a
    // value at least the last one's is past its end: offerChild would destroy the child unseen.
    const int32_t count = nextBuffer->Count();
    return count > 0 && count >= nextBuffer->capacity &&
           fisher >= nextBuffer->Get(count - 1)->fisher;
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

void RegGenerator::setUpExtension(Extension& x, const Rule& rule) const {
    std::vector<uint8_t> used(static_cast<size_t>(std::max(positionCount, 0)), 0);
    if (targetPosition >= 0 && targetPosition < positionCount)
        used[static_cast<size_t>(targetPosition)] = 1;
    for (int32_t i = 0; i < rule.conditionCount; ++i) {
        const int32_t p = rule.ConditionPosition(i);
        if (p >= 0 && p < positionCount) used[static_cast<size_t>(p)] = 1;
    }
    // Candidates in the order Extend makes them; the children of one position are evaluated
    // together from one pass over the parent's match set.
    for (int32_t p = 0; p < positionCount; ++p) {
        if (used[static_cast<size_t>(p)] != 0) continue;
        x.freePositions.push_back(p);
        x.firstCandidate.push_back(x.candidates.size());
        for (int32_t j = 0; j < alphabetSize; ++j) {
            x.candidates.push_back({p, 1, j});
            if (alphabetSize > 2) x.candidates.push_back({p, -1, j});
        }
    }
    x.firstCandidate.push_back(x.candidates.size());
    if (x.candidates.empty()) return;
    index_->MatchSet(rule, x.parentMatch);
    x.nonzero = index_->NonzeroWords(x.parentMatch);
    x.parentCount = index_->Popcount(x.parentMatch);
    const size_t letters = static_cast<size_t>(std::max(alphabetSize, 0));
    x.parentLetters.assign(letters, 0);
    index_->ParentCounts(x.parentMatch, targetPosition, x.parentLetters.data());
    x.evaluations.resize(x.candidates.size());
    x.probabilities.assign(x.candidates.size() * (letters + 1), 0.0);
}

void RegGenerator::evaluatePosition(Extension& x, const Rule& rule, size_t i,
                                    std::vector<int64_t>& scratch) const {
    const size_t letters = static_cast<size_t>(std::max(alphabetSize, 0));
    const size_t stride = letters + 1;
    scratch.resize(letters * (letters + 2));
    int64_t* matched = scratch.data();
    int64_t* joint = matched + letters;
    int64_t* counts = joint + letters * letters;
    index_->PositionCounts(x.parentMatch, x.nonzero, x.freePositions[i], targetPosition, matched,
                           joint);
    for (size_t k = x.firstCandidate[i]; k < x.firstCandidate[i + 1]; ++k) {
        const Candidate& c = x.candidates[k];
        const size_t j = static_cast<size_t>(c.letter);
        int64_t matchCount = matched[j];
        for (size_t l = 0; l < letters; ++l) counts[l] = joint[j * letters + l];
        if (c.sign == -1) {
            matchCount = x.parentCount - matchCount;
            for (size_t l = 0; l < letters; ++l) counts[l] = x.parentLetters[l] - counts[l];
        }
        x.evaluations[k] = index_->EvaluateCounts(rule, x.parentCount, matchCount, counts,
                                                  targetPosition, *letterFrequency, fisherThreshold,
                                                  x.probabilities.data() + k * stride);
    }
}

void RegGenerator::evaluateExtensions(const std::vector<Extension*>& extensions,
                                      const std::vector<const Rule*>& parents) {
    // Every (rule, free position) pair is one piece of work, so that a buffer of rules gives
    // the threads as many pieces as its rules have free positions together.
    std::vector<std::pair<size_t, size_t>> pieces;
    size_t work = 0;
    for (size_t r = 0; r < extensions.size(); ++r) {
        const Extension& x = *extensions[r];
        for (size_t i = 0; i < x.freePositions.size(); ++i) pieces.emplace_back(r, i);
        work += x.nonzero.size() * x.candidates.size();
    }
    const auto evaluate = [&](size_t begin, size_t end) {
        std::vector<int64_t> scratch;
        for (size_t n = begin; n < end; ++n) {
            const auto [r, i] = pieces[n];
            evaluatePosition(*extensions[r], *parents[r], i, scratch);
        }
    };
    const int32_t threads = WorkerPool::threadsFor(threadCount);
    // Small extensions are not worth waking the pool for.
    if (threads <= 1 || pieces.size() < 2 || work < 4096) {
        evaluate(0, pieces.size());
        return;
    }
    if (index_->pool == nullptr || index_->pool->threads() != threads)
        index_->pool = std::make_unique<WorkerPool>(threads);
    index_->pool->run(pieces.size(), evaluate);
}

void RegGenerator::extendFast(Rule& rule) {
    Extension x;
    setUpExtension(x, rule);
    if (x.candidates.empty()) return;
    evaluateExtensions({&x}, {&rule});
    offerChildren(rule, x);
}

void RegGenerator::offerChildren(Rule& rule, const Extension& x) {
    if (x.candidates.empty()) return;
    const size_t stride = static_cast<size_t>(std::max(alphabetSize, 0)) + 1;
    evaluationCount += static_cast<int64_t>(x.candidates.size());
    // Tested and inserted strictly in candidate order, as if one child were made at a time.
    for (size_t k = 0; k < x.candidates.size(); ++k) {
        const ChildEvaluation& e = x.evaluations[k];
        if (!e.passes || refusedByFullNextBuffer(e.fisher)) continue;
        const Candidate& c = x.candidates[k];
        auto child = std::make_unique<Rule>();
        child->Init(rule.conditionCount + 1, storage, fisherThreshold, letterFrequency, letters_);
        rule.CopyConditionsTo(*child);
        child->InsertCondition(c.position, c.sign, c.letter);
        std::copy_n(x.probabilities.begin() + static_cast<std::ptrdiff_t>(k * stride),
                    std::min(stride, child->letterProbability.size()),
                    child->letterProbability.begin());
        child->fisher = e.fisher;
        child->cp = e.cp;
        child->table = e.table;
        offerChild(std::move(child));
    }
}

void RegGenerator::prepareCurrentBuffer() {
    ahead_.clear();
    aheadNext_ = 0;
    if (referenceEvaluation || index_ == nullptr || currentBuffer == nullptr) return;
    const int32_t count = currentBuffer->Count();
    const int32_t threads = WorkerPool::threadsFor(threadCount);
    // On one thread nothing is gained by evaluating ahead, and a rule that turns out not to be
    // new would have been evaluated for nothing.
    if (count < 2 || threads <= 1) return;
    // Which buffered rules are new, and so extended, is known only at their turn; what their
    // extension evaluates depends on each rule alone, so it is done for all of them here at
    // once (on copies: the buffered rules stay as they are until their turn).
    ahead_.resize(static_cast<size_t>(count));
    const auto weed = [&](size_t begin, size_t end) {
        for (size_t r = begin; r < end; ++r) {
            Extension& x = ahead_[r];
            x.source = currentBuffer->Get(static_cast<int32_t>(r));
            x.weeded = std::make_unique<Rule>(*x.source);
            x.dropped = dropWeak(*x.weeded);
            x.extended = !x.dropped && x.weeded->fisher > 0;
            if (x.extended) setUpExtension(x, *x.weeded);
        }
    };
    if (index_->pool == nullptr || index_->pool->threads() != threads)
        index_->pool = std::make_unique<WorkerPool>(threads);
    index_->pool->run(ahead_.size(), weed);
    std::vector<Extension*> extensions;
    std::vector<const Rule*> parents;
    for (Extension& x : ahead_) {
        if (!x.extended) continue;
        extensions.push_back(&x);
        parents.push_back(x.weeded.get());
    }
    evaluateExtensions(extensions, parents);
}

RegGenerator::Extension* RegGenerator::takeAhead(const Rule* rule) {
    if (aheadNext_ >= ahead_.size()) return nullptr;
    Extension* x = &ahead_[aheadNext_++];
    if (x->source == rule) return x;
    // The buffer was not taken in order: what was made ahead no longer applies.
    ahead_.clear();
    aheadNext_ = 0;
    return nullptr;
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
