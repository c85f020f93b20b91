// Scores many windows of letter codes against one class at a time, with exactly the classificator's
// score of a window, bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace motifora {

class Classificator;

// Letter code of a position outside the alphabet (an ambiguity letter, N, a gap ...). A window
// holding one is never scored.
constexpr uint8_t kNoLetter = 0xFF;
// The largest alphabet a scorer takes: every other code fits below kNoLetter.
constexpr int32_t kMaxScanAlphabet = 254;

// Per-call working memory of WindowScorer::Score; one per thread, reused between calls.
struct ScorerScratch {
    std::vector<int32_t> objectCodes;  // a window as an object's codes (ContrastWindowScorer)
    std::vector<uint64_t> letterBits;  // per letter, a bit per position of the 64-window span
    std::vector<uint64_t> noLetterBits;
    std::vector<uint64_t> slotMasks;      // per used cell, the windows holding its letter
    std::vector<uint64_t> applies;        // per rule, the windows it applies to
    std::vector<uint64_t> conditionBits;  // the discriminative conditions found in a window
    double cellSums[64] = {};
    double scores[64] = {};
};

// Scores every window of a run of letter codes: a class (ClassScorer) or the discriminative
// rules (ContrastWindowScorer).
class WindowScorer {
  public:
    virtual ~WindowScorer() = default;
    virtual int32_t Width() const = 0;
    // Scores the `count` windows starting at codes[0], codes[1], ...; `codes` holds
    // count + Width() - 1 letter codes (kNoLetter or any code at or above the alphabet size for
    // a letter outside it). scores[j] gets the score of window j and valid[j] 1, or, for a window
    // holding a letter outside the alphabet, scores[j] 0 and valid[j] 0.
    virtual void Score(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
                       ScorerScratch& scratch) const = 0;
};

// What a class keeps of the rules: only those the classificator's score of a window against the
// class can count (applicable to the class's ideal object, with a prediction the class confirms),
// ordered by prediction cell and, within a cell, in store order, so that their agreements are
// added in the same order as the classificator adds them.
//
// A window whose every letter is in the alphabet is a full object: a rule is applicable to it
// exactly when each positive condition names its letter and each negative condition another one;
// its agreement is +w or -w by whether the window holds the predicted letter. The score is the
// sum, cell by cell in increasing order, of the agreements of the applicable rules concluding at
// that cell in store order. 64 windows are handled at once: a condition becomes a 64-bit mask of
// the windows satisfying it, and the sums are made for the windows of each rule's mask.
class ClassScorer : public WindowScorer {
  public:
    ClassScorer() = default;

    // Takes the rules of class k from a set-up classificator (its rule snapshot and the class's
    // ideal object). Returns false, leaving an empty scorer, when k is not a class, the width is
    // not positive or the alphabet is larger than kMaxScanAlphabet.
    //
    // With `letters` between 1 and the classificator's width, the windows are that many letters
    // wide and score as objects of the classificator's width whose later positions are empty
    // (hold no letter), as a shorter object scores there: a rule with a positive condition on an
    // empty position never applies, nor one whose last negative condition is on one; a negative
    // condition on an empty position holds; a prediction on an empty position finds its letter
    // clear. 0 (or any other value) takes the classificator's width.
    bool Build(Classificator& classificator, int32_t k, int32_t letters = 0);

    int32_t Width() const override { return width_; }
    int32_t AlphabetSize() const { return alphabetSize_; }
    int32_t ClassIndex() const { return classIndex_; }
    // Rules counted for this class.
    int32_t RuleCount() const { return static_cast<int32_t>(rules_.size()); }
    // True when the sums run four windows at a time in AVX2 registers (the processor has them
    // and every rule's two agreements are opposite numbers); otherwise window by window.
    bool UsesWideSums() const { return wide_; }
    // Sums window by window even where the wide sums could run (to compare the two).
    void UseNarrowSums() { wide_ = false; }

    // Scores the `count` windows starting at codes[0], codes[1], ...; `codes` holds
    // count + Width() - 1 letter codes (kNoLetter or any code at or above the alphabet size for
    // a letter outside it). scores[j] gets the score of window j and valid[j] 1, or, for a window
    // holding a letter outside the alphabet, scores[j] 0 and valid[j] 0. Does nothing on an
    // empty scorer.
    void Score(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
               ScorerScratch& scratch) const override;

  private:
    struct Condition {
        int32_t slot;     // into the used cells
        uint64_t invert;  // 0 for a positive condition, all ones for a negative one
    };
    struct CountedRule {
        int32_t firstCondition;
        int32_t conditionCount;
        double agreement[2];  // [window lacks / holds the predicted letter]
    };
    struct CellGroup {
        int32_t firstRule;
        int32_t ruleCount;
        int32_t slot;  // the prediction cell among the used cells
    };
    struct Cell {
        int32_t position;  // kEmptyCell: a cell on a position no window holds (never set)
        int32_t letter;
    };
    static constexpr int32_t kEmptyCell = -1;

    void scoreBlock(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
                    ScorerScratch& scratch) const;
    // The sums of one block into scratch.scores, for the windows of `usable`.
    void sumNarrow(const uint64_t* slotMasks, uint64_t usable, ScorerScratch& scratch) const;
    void sumWide(const uint64_t* slotMasks, uint64_t usable, size_t count,
                 ScorerScratch& scratch) const;
    int32_t slotOf(int32_t position, int32_t letter);

    int32_t width_ = 0;
    int32_t alphabetSize_ = 0;
    int32_t classIndex_ = -1;
    std::vector<Cell> slots_;          // the cells conditions and predictions read
    std::vector<int32_t> slotByCell_;  // cell -> slot, -1 when unused
    std::vector<Condition> conditions_;
    std::vector<CountedRule> rules_;
    std::vector<CellGroup> groups_;
    std::vector<double> weights_;  // per rule, its agreement with a window holding the letter
    bool wide_ = false;
};

}  // namespace motifora
