// The main window's reading aids: a rule's Fisher value in full, a control sequence's held-out
// decision.
#include <charconv>

#include "rules/Rule.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

std::string TMainForm::fisherDetail(int32_t row) const {
    if (!mainManager || workerBusy()) return "";
    const RulesStorage* rules = mainManager->rules();
    if (rules == nullptr || row < 1 || row > rules->Count()) return "";
    // The grid shows the rule list in its order; a row whose texts differ (a grid filled by
    // another view) has no value to show.
    std::string fisher, cp, ruleText;
    rules->GetTexts(row - 1, fisher, cp, ruleText);
    if (RulesList.cell(1, row) != fisher || RulesList.cell(2, row) != ruleText) return "";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, rules->Get(row - 1)->fisher);
    return std::string(text, result.ptr);
}

std::string TMainForm::controlDecisionDetail(SampleKind kind, int32_t row) {
    if (!mainManager || workerBusy()) return "";
    if (kind != SampleKind::ControlNegative && kind != SampleKind::ControlPositive) return "";
    const bool positive = kind == SampleKind::ControlPositive;
    const Grid& grid = positive ? PosCtrlSeqsList : NewSeqsList;
    CachedControlScores& cache = controlScoreCache_[positive ? 1 : 0];
    if (cache.gridChanges != grid.changes()) {
        cache.scores = mainManager->controlSequenceScores(kind);
        cache.gridChanges = grid.changes();
    }
    if (row < 1 || row > static_cast<int32_t>(cache.scores.size())) return "";
    const SequenceScore& s = cache.scores[static_cast<size_t>(row - 1)];
    if (s.bestClass < 0) return "";
    const NumberFormat& numbers = numberFormat;
    std::string text =
        "Class " +
        (s.assignedClass < 0 ? std::string("New") : std::to_string(s.assignedClass + 1)) +
        "; best class " + std::to_string(s.bestClass + 1) + ", score " +
        numbers.fixed(s.bestScore, 2);
    const auto cv = CrossValForm.shownResult();
    if (!cv) return text;
    const bool accepted = s.bestScore > cv->level;
    text += "\nCross-validated level " + numbers.fixed(cv->level, 2) + ": " +
            (accepted ? "accept" : "reject");
    if (positive && !accepted) text += " (a first-level error)";
    if (!positive && accepted) text += " (a second-level error)";
    return text;
}

void TMainForm::RulesListSelect(int32_t row) {
    const std::string detail = fisherDetail(row);
    if (detail.empty()) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    RulesList.select(row, row);
    StatusBar1.setPanel(2, "Fisher: " + detail);
}

}  // namespace motifora
