// The window operations the engines and processes report to while they run.
#pragma once

#include <cstdint>
#include <string>

#include "core/SampleCodes.h"

namespace motifora {

// Every operation may be called from the worker thread. The default bodies do nothing, so a
// sink (the window model, a test recorder, the batch front end) overrides what it shows.
class Display {
  public:
    virtual ~Display() = default;

    // Kind 0 final buffer, 1 pre-buffer, 2 post-buffer; position is the 0-based place of the new
    // entry in the final buffer's order.
    virtual void ReportBufferEntry(const std::string& fisherText, const std::string& cpText,
                                   const std::string& ruleText, int32_t position, int32_t kind,
                                   int32_t step) {
        (void)fisherText, (void)cpText, (void)ruleText, (void)position, (void)kind, (void)step;
    }
    virtual void RewindBufferProgress(int32_t kind, int32_t amount) { (void)kind, (void)amount; }
    virtual void ShowIdealObject(const std::string& objectText, double value, int32_t index) {
        (void)objectText, (void)value, (void)index;
    }
    // Lets the pop-up menu of the ideal-object grid open on its own (on) or keeps it closed.
    virtual void SetIdealObjPopupAuto(bool on) { (void)on; }
    virtual void SetLearningClass(int32_t row, int32_t number) { (void)row, (void)number; }
    virtual void SetRuleClass(int32_t row, int32_t number) { (void)row, (void)number; }
    // The class column of the grid of `sampleSet` (nothing for ObjectSetKind::None).
    virtual void SetControlClass(ObjectSetKind sampleSet, int32_t row, int32_t number, bool isNew) {
        (void)sampleSet, (void)row, (void)number, (void)isNew;
    }
    virtual void ShowClassObject(const std::string& objectText, int32_t rowIndex,
                                 int32_t objectIndex) {
        (void)objectText, (void)rowIndex, (void)objectIndex;
    }
    virtual void ShowStatus(const std::string& text) { (void)text; }
    virtual void ShowCountdown(int32_t remaining) { (void)remaining; }
    virtual void LockCommands(CommandLock mode) { (void)mode; }
    virtual void UnlockCommands(CommandLock mode) { (void)mode; }
    virtual void RefreshViews() {}
    virtual void ShowMatrixValue(double value, int32_t column, int32_t row) {
        (void)value, (void)column, (void)row;
    }
    virtual void ShowRuleRow(int32_t n, const std::string& fisherText, const std::string& cpText,
                             const std::string& ruleText, int32_t status) {
        (void)n, (void)fisherText, (void)cpText, (void)ruleText, (void)status;
    }

    // ---- recognition, error counting and bootstrap ----
    // Score s of control negative object i against class j, into the per-class columns.
    virtual void ShowClassScore(int32_t i, double s, int32_t j) { (void)i, (void)s, (void)j; }
    // Score of object i into column 5 of `grid`.
    virtual void ShowObjectScore(int32_t i, double s, ScoreGrid grid) {
        (void)i, (void)s, (void)grid;
    }
    // Draws the chart from the first `count` window scores of the workspace.
    virtual void ShowPositionScores(int32_t count) { (void)count; }
    // The last step of an object recognition: `n` positive objects of the class were scored.
    // Counts the errors when n > 0 and unlocks the commands.
    virtual void FinishRecognition(int32_t n) { (void)n; }
    // Shows the kept and held-out positives of the running bootstrap iteration.
    virtual void ShowBootstrapSamples() {}
    // Gives the ideal-object grid `rows` rows (the header row included).
    virtual void SetIdealObjectRows(int32_t rows) { (void)rows; }
    // Row `row` of the bootstrap results: the iteration's first- and second-level errors.
    virtual void ShowBootstrapRow(int32_t row, double firstError, double secondError) {
        (void)row, (void)firstError, (void)secondError;
    }
    // Averages of the shown results of `iterations` iterations.
    virtual void ShowBootstrapAverages(int32_t iterations) { (void)iterations; }
    // The bootstrap run has ended (finished or stopped).
    virtual void BootstrapFinished() {}
};

}  // namespace motifora
