// The pop-up menu of the ideal-object grid: matrices, regularities and objects of a class, and
// the deletion of classes.
#include "rules/RulesStorage.h"
#include "ui/model/ClassViews.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

int32_t TMainForm::selectedClass() {
    if (!mainManager || workerBusy()) return -1;
    const int32_t k = IdealizObjectsList.selectionTop() - 1;
    if (k < 0 || k >= mainManager->classCount()) return -1;
    return k;
}

void TMainForm::showMatrixView(int32_t kind) {
    // The views use the classificator's scratch state: never while a worker may use it.
    if (!mainManager || workerBusy()) return;
    TMainManager& m = *mainManager;
    if (m.searchSettings().shiftPositions() || !m.storage()) return;
    const SEQStorage& s = *m.storage();
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        ClassList.setColCount(s.width + 1);
        for (int32_t p = 1; p <= s.width; ++p) ClassList.setCell(p, 0, std::to_string(p));
        ClassList.setRowCount(s.alphabetSize + 1);
        for (int32_t code = 0; code < s.alphabetSize; ++code) {
            const int32_t letter = s.codeTable.letterOf(code);
            ClassList.setCell(
                0, code + 1,
                letter < 0 ? std::string() : std::string(1, static_cast<char>(letter)));
        }
    }
    const int32_t k = selectedClass();
    if (k < 0) return;
    showMatrix(m, kind, k, *this);
    showClassListPage();
}

void TMainForm::showClassListPage() {
    // The class-object grid lives on the Classes page: a view asked for elsewhere is shown at
    // once rather than waiting there unseen.
    if (activePage() != Page::Classes) setActivePage(Page::Classes);
}

void TMainForm::WeightMatrix1Click() { showMatrixView(1); }

void TMainForm::RecognitionMatrix1Click() { showMatrixView(0); }

int32_t TMainForm::clearClassList(int32_t columns, int32_t items) {
    {
        // One row more than the items, so that the last listed item has its row.
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        ClassList.setColCount(columns);
        ClassList.setRowCount(items + 1);
        ClassList.clearDataRows();
    }
    return selectedClass();
}

void TMainForm::ShowRegularities1Click() {
    if (!mainManager || workerBusy()) return;
    TMainManager& m = *mainManager;
    const int32_t k = clearClassList(5, m.rules() ? m.rules()->Count() : 0);
    if (k < 0) return;
    showClassRules(m, k, *this);
    showClassListPage();
}

void TMainForm::ShowObjects1Click() {
    if (!mainManager || workerBusy()) return;
    TMainManager& m = *mainManager;
    const int32_t k = clearClassList(3, m.storage() ? m.storage()->learnObjectCount : 0);
    if (k < 0) return;
    showClassObjects(m, k, *this);
    showClassListPage();
}

void TMainForm::ShowClass() { ShowObjects1Click(); }

void TMainForm::D1Click() {
    if (!mainManager || workerBusy()) return;
    TMainManager& m = *mainManager;
    const int32_t t = IdealizObjectsList.selectionTop();
    const int32_t u = IdealizObjectsList.selectionBottom();
    if (t <= 0) return;
    for (int32_t n = 0; n < u - t + 1; ++n) {
        // Rows below the last class hold no class to delete.
        if (t - 1 >= m.classCount()) break;
        m.deleteClass(t - 1);
        refillIdealObjects();
        refillLearnPositive();
        refillControlNegative();
        refillControlPositive();
        refillLearnNegative();
    }
    IdealizObjectsList.setRowCount(m.classCount() + 1);
}

}  // namespace motifora
