// The idealization, classification and scoring engine: turns objects or rules into class
// prototypes (ideal objects), assigns objects to classes and scores them against a class.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "classify/IdealizationType.h"
#include "classify/KnownEnds.h"
#include "classify/RuleCellIndex.h"
#include "core/ProgressEvents.h"
#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "rules/CIdelObject.h"
#include "rules/RulesStorage.h"

namespace motifora {

// The workspace's ideal-object array: one owned prototype per class, class k at index k. Slots
// at and beyond `idealObjectCount` may be empty room.
using IdealObjectArray = std::vector<std::unique_ptr<CIdelObject>>;

// Used by one thread at a time: every operation overwrites the scratch state (working object,
// prediction matrix, rule lists, text buffer). Progress events go to the thread that calls.
//
// The rules are copied at Setup (conditions, prediction, weight, probabilities), so replacing
// or freeing the rule store afterwards does not affect a set-up classificator; a new Setup reads
// the store again.
class Classificator {
  public:
    Classificator() = default;
    // `sink` and `runControl` are not owned; either may be null (no reports, no pause gate).
    explicit Classificator(ProgressSink* sink, RunControl* runControl = nullptr)
        : sink_(sink), runControl_(runControl) {}
    virtual ~Classificator() = default;
    Classificator(const Classificator&) = delete;
    Classificator& operator=(const Classificator&) = delete;

    void SetSink(ProgressSink* sink) { sink_ = sink; }
    // The pause gate passed between accepted idealization changes. A stop does not cut an
    // idealization short: the object in hand is finished, as the run loops expect.
    void SetRunControl(RunControl* runControl) { runControl_ = runControl; }

    // Binds the storage, the rule store, the ideal-object array and the type; copies the object
    // count, the rule count, the width and the alphabet size; zeroes the prediction matrix and
    // empties both rule lists. `idealObjectCount` is kept, so a later run appends classes.
    // Returns 0; does nothing when `storage` or `rules` is null. With a null `idealObjects` no
    // class can be registered or found.
    int Setup(SEQStorage* storage, RulesStorage* rules, IdealObjectArray* idealObjects,
              IdealizationType type);

    // Idealizes learning object `object`, or (object null) rule `ruleIndex`, and registers the
    // result: the first identical class, else a new class appended to `idealObjects` (which
    // grows as needed). Returns the 0-based class index; -1 when the classificator is not set up
    // or neither source is valid (nothing is registered then).
    int32_t IdealizeAndRegister(const SEQSElem* object, int32_t ruleIndex);
    // Runs the strategy of `idealizationType` on the working object and normalises it (a full
    // position becomes empty). Does nothing without a working object of its own (none, or a
    // class borrowed by SelectIdealObject). The prediction matrix and rule lists are left as
    // the strategy last had them, which is not the end's when the strategy ended at a state
    // whose end an earlier run found: BuildPredictionMatrix makes them for a state.
    void Idealize();
    // What IdealizeAndRegister and ClassifyObject do after idealizing, for an idealized form
    // made elsewhere (ParallelIdealization, from the same storage, rules and type): `result`
    // becomes the working object, `status` (its last text before normalising) is shown once,
    // and it is registered or looked up exactly as there. Both return -1 when the classificator
    // is not set up or `result` has another size.
    int32_t RegisterIdealized(const SEQSElem* object, int32_t ruleIndex, const CIdelObject& result,
                              const std::string& status);
    int32_t ClassifyIdealized(const CIdelObject& result, const std::string& status, int32_t row,
                              ObjectSetKind kind);
    // Idealizes the object and looks it up among the classes without ever adding one; reports
    // the class (or none) of the object at the 1-based `row` of set `kind` (SetObjectClassed).
    // Returns the class index, or -1 for no identical class (or when not set up).
    int32_t ClassifyObject(const SEQSElem& object, int32_t row, ObjectSetKind kind);

    // Prediction matrix of the working object: the agreement of every applicable rule summed at
    // its prediction cell. Also fills `applicableRules`.
    void BuildPredictionMatrix();
    // `applicableRules` := the rules applicable to the working object, in store order.
    void SelectApplicableRules();
    // Gain of clearing a set cell / setting a clear cell of the working object, using the lists
    // and matrix of the last BuildPredictionMatrix. The object is left as it was. Returns 0 for a
    // cell outside the matrix, a cell not in the required state, or no working object.
    double DeletionGain(PositionLetter cell);
    double InsertionGain(PositionLetter cell);
    // Every cell's gain, as the idealization's scans form them: out[p * alphabetSize + l]
    // is DeletionGain / InsertionGain of (p, l), bit for bit, and 0 for a cell not in the
    // required state. Empty without a working object.
    void DeletionGains(std::vector<double>& out);
    void InsertionGains(std::vector<double>& out);

    // Score of `object` against class k: the summed agreement with the object of the rules that
    // are applicable to both the object and the class and whose prediction the class confirms.
    // `objectIndex` is not used. Returns 0 when k is not a class of the matrix's size.
    double ScoreObject(const SEQSElem& object, int32_t objectIndex, int32_t k);
    // 0 rule i not applicable to class k, 1 applicable and its prediction agrees with the class,
    // 2 applicable and not agreeing (or without prediction). 0 for an unknown rule or class.
    int32_t RuleStatus(int32_t i, int32_t k);
    // Borrows class k as the working object (never changed or destroyed here) and builds its
    // prediction matrix. Returns false (working object none, matrix zero) when k is not a class
    // of the matrix's size.
    bool SelectIdealObject(int32_t k);
    // predictionMatrix[p][l]; 0 outside the matrix.
    double PredictionValue(int32_t p, int32_t l) const;
    // Recognition matrix cell after SelectIdealObject: the prediction value when positive, else
    // the summed agreement with the class of the applicable rules that rest on the class's state
    // of the cell. 0 outside the matrix or without a selected class.
    double RecognitionValue(int32_t p, int32_t l) const;

    // Initial working objects. From an object: each position allows only the object's letter
    // (no letter code: empty). From rule k: the cells its conditions require plus its most
    // probable positive letter at the target. Both return false (nothing built) when not set up
    // or k is not a rule.
    bool StartFromObject(const SEQSElem& object);
    bool StartFromRule(int32_t k);

    // Removes class k from `idealObjects` (destroying it); the later classes move down one slot,
    // the slot after the last becomes empty and `idealObjectCount` drops by one. Returns 1 when
    // there are no classes, 0 when k is not a class (nothing changes), -1 when it was removed.
    // Object class numbers are renumbered by deleteIdealObject (ClassDeletion.h).
    int32_t RemoveIdealObject(int32_t k);

    // Class k when it exists and has the matrix's size, else null.
    const CIdelObject* IdealObjectAt(int32_t k) const;
    // The states whose end the strategy knows.
    size_t KnownStateCount() const { return knownEnds_->stateCount(); }
    // From now on, learns and finds where runs end in `ends`, shared with the classificators
    // that idealize alongside this one (same storage, rules and type). Setup, or a change of
    // type, makes a store of its own again.
    void ShareKnownEnds(std::shared_ptr<KnownEnds> ends) { knownEnds_ = std::move(ends); }
    // Rules as the classificator reads them (set up at Setup).
    const RuleCellIndex& RuleIndex() const { return index_; }

    // ---- fields ----
    int32_t idealObjectCount = 0;
    int32_t objectCount = 0;
    SEQStorage* storage = nullptr;  // not owned
    int32_t ruleCount = 0;
    RulesStorage* rules = nullptr;             // not owned; read at Setup
    IdealObjectArray* idealObjects = nullptr;  // not owned
    std::vector<double> predictionMatrix;      // width x alphabetSize, row by row
    const SEQSElem* currentObject = nullptr;   // not owned
    int32_t applicableCount = 0;
    std::vector<int32_t> applicableRules;  // rule indexes (store order)
    int32_t selectedCount = 0;
    std::vector<int32_t> selectedRules;  // rule indexes
    int32_t width = 0;
    int32_t alphabetSize = 0;
    IdealizationType idealizationType = IdealizationType::kDeletingBegin;  // set by Setup
    // The ideal object being built, compared or inspected: the classificator's own scratch
    // object, or a borrowed class after SelectIdealObject. Null when there is none.
    CIdelObject* workingObject = nullptr;
    std::string textBuffer;  // text form of the working object

  private:
    bool isSetUp() const { return storage != nullptr && rules != nullptr; }
    // Recounts the letters allowed per position of the working object.
    void countPositions();
    // Applicability of rule i to a flag matrix with its per-position counts, examining the
    // conditions in stored order.
    bool applicable(int32_t i, const uint8_t* cells, const int32_t* counts) const;
    // Once every condition holds, the last negative condition decides: its position must allow
    // some letter (its own letter being clear, any letter means another one).
    static bool lastNegativeAllows(const SnapshotRule& rule, const int32_t* counts) {
        return rule.lastNegativePosition < 0 || counts[rule.lastNegativePosition] > 0;
    }
    // Applicability of rule i to the working object with one cell toggled since the last
    // BuildPredictionMatrix, the toggle having changed its failed conditions by `change`.
    bool applicableAfter(int32_t i, int32_t change, const int32_t* counts) const {
        if (failedConditions_[static_cast<size_t>(i)] + change != 0) return false;
        const int32_t p = index_.lastNegative[static_cast<size_t>(i)];
        return p < 0 || counts[p] > 0;
    }
    double agreement(int32_t i, const uint8_t* cells) const;
    // The agreement of `rule` with a flag matrix: +w or -w by its prediction cell, 0 without one.
    static double agreementIn(const SnapshotRule& rule, const uint8_t* cells) {
        if (rule.predictionCell < 0) return 0.0;
        return cells[rule.predictionCell] != 0 ? rule.agreementIfSet : rule.agreementIfClear;
    }
    void refreshText();
    void showText();
    // One scan: the first cell of strictly largest gain (deletion over set cells, insertion over
    // clear cells). Returns that gain (0 when none is positive) and the cell in `bestCell`.
    double deletionScan(int32_t& bestCell);
    double insertionScan(int32_t& bestCell);
    // The gains the scans use: DeletionGain / InsertionGain of the cell (set / clear), bit for
    // bit, through the index's bit rows when it has them.
    double scanDeletionGain(int32_t cell);
    double scanInsertionGain(int32_t cell);
    // Rule i's positive minus negative conditions on exactly `cell`.
    int32_t deltaOn(int32_t i, int32_t cell) const;
    // Toggles a cell of the working object, brings the failed-condition counts, the applicable
    // and gainable rules and the cells of the prediction matrix they conclude at up to date (the
    // same matrix BuildPredictionMatrix would build), shows the object and passes the pause gate.
    // The list of applicable rules is brought up to date when the strategy ends.
    void applyChange(int32_t cell, bool set);
    // Sets rule i's gainable and none-failed bits from its failed count.
    void sortByFailed(int32_t i);
    // Then its applicability (flag and bit); marks its prediction cell for a new sum when that
    // changed.
    void refreshRule(int32_t i);
    // Sums again the prediction matrix's cell from the rules concluding there, in rule order.
    void resumPrediction(int32_t cell);
    // applicableRules := the flagged rules, in rule order.
    void listApplicable();
    // What the strategy finds at the head of a step (or pass) from the working object's state.
    enum class Arrival {
        kNew,       // a state not met before: recorded, the strategy goes on
        kRepeated,  // met before in this run: going on would repeat itself forever
        kKnown,     // a state an earlier run went on from to its end: `knownEnd_` is that end
    };
    Arrival arrive();
    // The working object's flags packed 8 to a byte, into `key_`.
    void packState();
    // Ends the strategy at the known end of the state it arrived at: the working object takes
    // that end's flags and counts (and shows them when they differ).
    void jumpToKnownEnd();
    // Remembers that every state of the run ends where the working object now is.
    void rememberEnd();
    // The registration of the idealized working object (IdealizeAndRegister's second half) and
    // its lookup (ClassifyObject's).
    int32_t registerWorking(const SEQSElem* object, int32_t ruleIndex);
    int32_t classifyWorking(int32_t row, ObjectSetKind kind);
    // Makes `result` the working object when it fits the matrix; false otherwise.
    bool adoptIdealized(const SEQSElem* object, const CIdelObject& result,
                        const std::string& status);
    // The first class identical to the working object, or -1. Looked up in classByCells_,
    // which is brought up to the classes held first.
    int32_t findClass() const;
    // Indexes the classes from indexedCount_ up to the first n, starting afresh when the array
    // is another or holds fewer classes than were indexed.
    void indexClasses(int32_t n) const;
    // Forgets the index of classes (a class removed, another array).
    void forgetClassIndex() const;
    void startScratch();

    ProgressSink* sink_ = nullptr;
    RunControl* runControl_ = nullptr;
    RuleCellIndex index_;
    CIdelObject scratch_;                  // the working object when not borrowing a class
    std::vector<int32_t> positionCounts_;  // letters allowed per position of the working object
    std::vector<uint8_t> applicableFlag_;  // per rule: in applicableRules
    // The same as bits (64 rules a word); the rules a toggle can make applicable in the scans'
    // sense: with a single failed condition, or without one condition a position; and the rules
    // with one condition a position that fail none.
    std::vector<uint64_t> applicableBits_;
    std::vector<uint64_t> gainableBits_;
    std::vector<uint64_t> noneFailedBits_;
    std::vector<int32_t> staleCells_;  // prediction cells to sum again after a change
    std::vector<uint8_t> staleMark_;   // per cell: in staleCells_
    // Per rule: conditions the working object failed at the last BuildPredictionMatrix.
    std::vector<int32_t> failedConditions_;
    std::vector<int32_t> classCounts_;  // letters allowed per position of a class
    // The states the running strategy has started a step (or pass) from, packed, in order.
    std::vector<std::string> path_;
    std::string key_;  // scratch for packState
    // Where the strategy ends from the states earlier runs met (see KnownEnds), for this
    // Setup's rules and the type below: the classificator's own, or one shared with others.
    std::shared_ptr<KnownEnds> knownEnds_ = std::make_shared<KnownEnds>();
    IdealizationType endsType_ = IdealizationType::kDeletingBegin;
    int32_t knownEnd_ = -1;            // the end arrive() found
    std::vector<uint8_t> knownCells_;  // and its flags
    // The classes' flag matrices (of this classificator's width and alphabet) to the first class
    // holding each. Classes are appended by IdealizeAndRegister and removed by RemoveIdealObject;
    // a change from outside (another array, a reallocated or shorter one, a class inserted or
    // removed, which moves the last indexed one) is noticed by the fingerprint below and the
    // index is built again.
    struct CellsHash {
        using is_transparent = void;
        size_t operator()(std::string_view cells) const {
            return std::hash<std::string_view>{}(cells);
        }
    };
    mutable std::unordered_map<std::string, int32_t, CellsHash, std::equal_to<>> classByCells_;
    mutable const IdealObjectArray* indexedArray_ = nullptr;
    mutable const std::unique_ptr<CIdelObject>* indexedSlots_ = nullptr;
    mutable const CIdelObject* indexedFirst_ = nullptr;
    mutable const CIdelObject* indexedLast_ = nullptr;
    mutable int32_t indexedCount_ = 0;
};

}  // namespace motifora
