// The window operations the engines and processes report to while they run.
#pragma once

#include <cstdint>
#include <string>

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
    // Sample set: 2 control negative, 3 control positive, 1 learning negative.
    virtual void SetControlClass(int32_t sampleSet, int32_t row, int32_t number, bool isNew) {
        (void)sampleSet, (void)row, (void)number, (void)isNew;
    }
    virtual void ShowClassObject(const std::string& objectText, int32_t rowIndex,
                                 int32_t objectIndex) {
        (void)objectText, (void)rowIndex, (void)objectIndex;
    }
    virtual void ShowStatus(const std::string& text) { (void)text; }
    virtual void ShowCountdown(int32_t remaining) { (void)remaining; }
    virtual void LockCommands(int32_t mode) { (void)mode; }
    virtual void UnlockCommands(int32_t mode) { (void)mode; }
    virtual void RefreshViews() {}
    virtual void ShowMatrixValue(double value, int32_t column, int32_t row) {
        (void)value, (void)column, (void)row;
    }
    virtual void ShowRuleRow(int32_t n, const std::string& fisherText, const std::string& cpText,
                             const std::string& ruleText, int32_t status) {
        (void)n, (void)fisherText, (void)cpText, (void)ruleText, (void)status;
    }
};

}  // namespace motifora
