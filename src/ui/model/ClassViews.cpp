// The class views of the ideal-object grid's pop-up menu.
#include "ui/model/ClassViews.h"

#include <algorithm>

#include "classify/Classificator.h"
#include "rules/CIdelObject.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

bool noClasses(const TMainManager& m) {
    return !m.classificator() || m.classificator()->idealObjectCount == 0 || m.classCount() == 0;
}

}  // namespace

int showMatrix(TMainManager& m, int32_t kind, int32_t k, TMainForm& form) {
    if (noClasses(m)) return 1;
    if (!m.storage()) return -1;
    Classificator& c = *m.classificator();
    c.SelectIdealObject(k);
    const int32_t width = m.storage()->width;
    const int32_t letters = m.storage()->alphabetSize;
    for (int32_t p = 0; p < width; ++p) {
        for (int32_t l = 0; l < letters; ++l) {
            const double value = kind == 0 ? c.RecognitionValue(p, l) : c.PredictionValue(p, l);
            form.ShowMatrixValue(value, p, l);
        }
    }
    return -1;
}

int showClassRules(TMainManager& m, int32_t k, TMainForm& form) {
    if (noClasses(m)) return 1;
    if (!m.rules()) return -1;
    const RulesStorage& rules = *m.rules();
    int32_t n = 0;
    std::string fisher, cp, ruleText;
    for (int32_t i = 0; i < rules.Count(); ++i) {
        const int32_t status = m.classificator()->RuleStatus(i, k);
        if (status != 1 && status != 2) continue;
        rules.GetTexts(i, fisher, cp, ruleText);
        form.ShowRuleRow(n, fisher, cp, ruleText, status);
        ++n;
    }
    return -1;
}

int showClassObjects(TMainManager& m, int32_t k, TMainForm& form) {
    if (noClasses(m)) return 1;
    if (!m.storage()) return -1;
    const SEQStorage& s = *m.storage();
    const int32_t count = std::min(s.learnObjectCount, s.learnObjects.size());
    int32_t row = 0;
    std::string text;
    for (int32_t j = 0; j < count; ++j) {
        const SEQSElem& object = s.learnObjects[j];
        if (object.classNumber != k) continue;
        CIdelObject shown;
        shown.InitFromObject(s.width, s.alphabetSize, object);
        shown.ToText(text, s.codeTable);
        form.ShowClassObject(text, row, j);
        ++row;
    }
    return -1;
}

}  // namespace motifora
