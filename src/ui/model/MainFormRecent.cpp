// The main window's reading aids: a rule's Fisher value in full.
#include <charconv>

#include "rules/Rule.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

std::string TMainForm::fisherDetail(int32_t row) const {
    if (!mainManager || workerBusy()) return "";
    const RulesStorage* rules = mainManager->rules.get();
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

void TMainForm::RulesListSelect(int32_t row) {
    const std::string detail = fisherDetail(row);
    if (detail.empty()) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    RulesList.select(row, row);
    StatusBar1.setPanel(2, "Fisher: " + detail);
}

}  // namespace motifora
