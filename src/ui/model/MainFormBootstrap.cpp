// The main window's side of the bootstrap: the command that opens the bootstrap window and the
// displays of the running iterations.
#include <algorithm>

#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

void TMainForm::btnStartBootstrapClick() {
    BootStrCtrl.FstLevelErr.setText(FirstLErrEd.text());
    BootStrCtrl.Show();
}

namespace {

// Fills rows 1 ... of `grid` from `records`: number, length, name (as read) and letters, and the
// class plus one from `objects` when given (one per record, as far as there are objects).
void fillBootstrapGrid(Grid& grid, const std::vector<Sequence>& records, int32_t count,
                       const ObjectSet* objects) {
    count = std::min(count, static_cast<int32_t>(records.size()));
    grid.setRowCount(count + 1);
    for (int32_t i = 0; i < count; ++i) {
        const Sequence& record = records[static_cast<size_t>(i)];
        const int32_t r = i + 1;
        grid.setCell(0, r, std::to_string(r));
        grid.setCell(1, r, std::to_string(record.length));
        grid.setCell(2, r, record.shownName());
        grid.setCell(3, r, record.text);
        if (objects && i < objects->size())
            grid.setCell(4, r, std::to_string(int64_t{(*objects)[i].classNumber} + 1));
    }
}

}  // namespace

void TMainForm::show(const BootstrapRoundBegun&) {
    TMainManager& m = manager();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const SEQStorage* s = m.bootstrapStorage();
    fillBootstrapGrid(SequencesList, m.bootstrapLearnPositive(), m.bootstrapLearnCount(),
                      s ? &s->learnObjects : nullptr);
    fillBootstrapGrid(
        PosCtrlSeqsList, m.bootstrapHeldOut(), m.bootstrapHeldOutCount(),
        s && s->controlPositiveObjectCount > 0 ? &s->controlPositiveObjects : nullptr);
    SequencesList.setColCount(5);
    NegSequencesList.setColCount(5);
    NewSeqsList.setColCount(5);
    PosCtrlSeqsList.setColCount(5);
}

void TMainForm::show(const BootstrapClassesMade& event) {
    // The header row and one row per class of the round.
    IdealizObjectsList.setRowCount(event.classes + 1);
}

void TMainForm::show(const BootstrapRoundEnded& event) {
    BootStrCtrl.showRow(event.round, numberFormat.fixed(event.firstError, 8),
                        numberFormat.fixed(event.secondError, 8));
}

void TMainForm::show(const BootstrapAveraged& event) { BootStrCtrl.showAverages(event.rounds); }

void TMainForm::show(const BootstrapEnded&) {
    BootStrCtrl.runEnded();
    {
        // The iterations' scores sat beside the rows of their own subsets; the refilled grids
        // list the whole samples, which those scores do not belong to.
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (Grid* grid : {&SequencesList, &NegSequencesList, &NewSeqsList, &PosCtrlSeqsList})
            grid->setColCount(5);
    }
    refillLearnPositive();
    refillControlNegative();
    refillControlPositive();
    refillLearnNegative();
    refillIdealObjects();
    refillRules();
}

}  // namespace motifora
