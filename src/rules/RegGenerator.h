// The regularity search engine: grows rules condition by condition, level by level, per target.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ProgressEvents.h"
#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "rules/Rule.h"
#include "rules/RulesStorage.h"
#include "rules/SearchSettings.h"

namespace motifora {

class MatchIndex;

class RegGenerator {
  public:
    RegGenerator();
    virtual ~RegGenerator();
    RegGenerator(const RegGenerator&) = delete;
    RegGenerator& operator=(const RegGenerator&) = delete;

    // Starts a search of `storage` into `results` (neither owned; both must outlive the search):
    // fresh sub-buffers of `subBufferSize`, the letter frequencies and the root rule. Returns 0.
    int Init(SEQStorage* storage, RulesStorage* results, int32_t subBufferSize,
             double fisherThreshold, double cpThreshold);
    // The same with the sub-buffer size, the Fisher criterion and the CP threshold of `settings`.
    int Init(SEQStorage* searched, RulesStorage* found, const SearchSettings& settings) {
        return Init(searched, found, settings.subBufferSize, settings.confidence,
                    settings.cpThreshold);
    }
    // letterFrequency[p][j] = objects with code j at p / objectCount (0 when there are none).
    void ComputeLetterFrequencies();
    // Predicts `position` from now on (also the storage's centerPosition) and seeds nextBuffer
    // with the one-condition rules.
    void SetTarget(int32_t position);
    // Processes one rule. Returns false only when both buffers were empty on entry.
    bool Step();
    // Offers every child of `rule` (one more condition at a free position) to nextBuffer.
    void Extend(Rule& rule);
    // Makes, evaluates and tests one child; nextBuffer keeps it or it is destroyed.
    void TryChild(Rule& parent, int32_t position, int16_t sign, int32_t letter);
    // False when the rule has no conditions or results, currentBuffer or nextBuffer holds it.
    bool IsNew(const Rule& rule);
    // Flags the target position and every condition position of the rule (usedPositions).
    void MarkUsedPositions(const Rule& rule);

    // Every target position in ascending order: SetTarget, then Step until it returns false or
    // the run flag is cleared (tested between steps through the pause gate). A null control runs
    // to the end. Returns the number of target positions begun.
    int32_t RunSearch(RunControl* control);

    // Where the progress goes (not owned; null = nowhere).
    void SetSink(ProgressSink* to) { sink = to; }
    // Threads that evaluate the children of one rule (0 = all cores). Results never depend on it.
    void SetThreadCount(int32_t threads) { threadCount = threads; }
    // Evaluate every child with the straightforward per-object Rule::Evaluate instead of the
    // bitset engine (slow; kept to check the fast one against).
    void SetReferenceEvaluation(bool on) { referenceEvaluation = on; }
    // Before Init: a condition at p < span then holds its letter anywhere in p - tolerance ..
    // p + tolerance (clipped to 0 .. span - 1). Only the bitset engine reads it: the reference
    // evaluation stays exact.
    void SetConditionTolerance(int32_t tolerance, int32_t span) {
        conditionTolerance = tolerance;
        toleranceSpan = span;
    }

    SEQStorage* storage = nullptr;
    std::unique_ptr<Rule> current;  // the rule Step is working on; null once the results own it
    std::unique_ptr<Rule> root;
    RulesStorage* results = nullptr;
    std::unique_ptr<RulesStorage> currentBuffer;
    std::unique_ptr<RulesStorage> nextBuffer;
    int32_t positionCount = 0;
    int32_t objectCount = 0;
    double fisherThreshold = 0.0;
    double cpThreshold = 0.0;
    std::string ruleText;
    std::string fisherText;
    std::string cpText;
    int32_t alphabetSize = 0;
    int32_t targetPosition = 0;
    int32_t codeCount = 0;
    std::shared_ptr<LetterFrequencyTable> letterFrequency;

    std::vector<uint8_t> usedPositions;  // set by MarkUsedPositions
    ProgressSink* sink = nullptr;
    int32_t threadCount = 0;
    bool referenceEvaluation = false;
    int32_t conditionTolerance = 0;
    int32_t toleranceSpan = 0;
    int64_t evaluationCount = 0;  // children evaluated since Init

  private:
    struct Extension;
    // Children of one rule evaluated together (in parallel) and then tested in order.
    void extendFast(Rule& rule);
    // The candidates of `rule`'s children and its match set, ready for evaluatePosition.
    void setUpExtension(Extension& x, const Rule& rule) const;
    // Evaluates the children at free position `i` of the extension of `rule`.
    void evaluatePosition(Extension& x, const Rule& rule, size_t i,
                          std::vector<int64_t>& scratch) const;
    // Evaluates every child of every extension (extensions[r] of parents[r]) on the pool.
    void evaluateExtensions(const std::vector<Extension*>& extensions,
                            const std::vector<const Rule*>& parents);
    // Makes the children that passed their evaluation and offers them, in candidate order.
    void offerChildren(Rule& rule, const Extension& x);
    // Weeds and evaluates, on copies, the extension of every rule of a buffer that just became
    // the current one, the rules on the pool together.
    void prepareCurrentBuffer();
    // What prepareCurrentBuffer made for `rule`, the next rule of the current buffer; null when
    // nothing was made for it.
    Extension* takeAhead(const Rule* rule);
    void extendReference(Rule& rule);
    // Offers an evaluated child to the lists as TryChild's last tests say.
    void offerChild(std::unique_ptr<Rule> child);
    // True when a child of this Fisher value cannot enter the next buffer, which is full of
    // rules at least as good; such a child need not be made.
    bool refusedByFullNextBuffer(double fisher) const;
    bool dropWeak(Rule& rule);

    std::shared_ptr<const CCodeTable> letters_;
    std::unique_ptr<MatchIndex> index_;
    std::vector<Extension> ahead_;  // per rule of the current buffer, in its order
    size_t aheadNext_ = 0;          // the entry of ahead_ for the current buffer's first rule
};

}  // namespace motifora
