// The "Rules" page: the regularity search settings, their checks in order, start, pause, stop.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include "core/Translatable.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

const char* const kSearchRunning = MOTIFORA_TR("Идет процесс поиска закономерностей ...");
const char* const kSearchPaused = MOTIFORA_TR("Процесс поиска закономерностей приостановлен.");

// `rows` + `more` grid rows, held at the largest row count a grid can have: a finish buffer size
// typed as 2147483647 must not wrap round to a negative count.
int32_t rowsAfter(int32_t rows, int32_t more) {
    const int64_t sum = int64_t{rows} + more;
    return static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void TMainForm::btnStartSearchRulesClick() {
    if (!mainManager) return;
    TMainManager& m = *mainManager;
    if (!m.learnPositiveLoaded) {
        message(MOTIFORA_TR("Для поиска закономерностей необходимо закгрузать хотя бы одну "
                            "последовательность."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
        return;
    }
    if (m.isRunning()) {
        // Only a paused regularity search is resumed here, never another kind of process (its
        // started flag may not be set yet when it was paused at once).
        if (m.isPaused() && !m.isStarted(TMainManager::Process::Idealization) &&
            !m.isStarted(TMainManager::Process::Classification)) {
            m.resumeRuleSearch();
            StatusBar1.setPanel(1, kSearchRunning);
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            runStartTime = now();
        }
        return;
    }

    double confidence = 0.0;
    if (!numberFormat.readReal(ConfIntEdit.text(), confidence)) {
        message(MOTIFORA_TR("Задано неверное значение доверительного интервала критерия Фишера."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    if (confidence < 0.0 || confidence > 1.0) {
        message(
            MOTIFORA_TR(
                "Неверно задано значение доверительного интервала критерия Фишера, это значение "
                "должно быть вещественным и лежать в пределах от 0 до 1. Рекомендуемые значения "
                "0,05  и 0,001"),
            MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
        return;
    }
    double cp = 0.0;
    if (!numberFormat.readReal(CPEdit.text(), cp)) {
        message(
            MOTIFORA_TR(
                "Задано неверное значение порога условной вероятности найденных закономерностей."),
            MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    if (cp < 0.0 || cp > 1.0) {
        message(
            MOTIFORA_TR(
                "Неверно задано значение порога условной вероятности найденных закономерностей. "
                "Это значение должно быть вещественным и лежать в пределах от 0 до 1."),
            MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
        return;
    }
    int32_t finishSize = 0;
    if (!NumberFormat::readInteger(FinishStorSizeEdit.text(), finishSize)) {
        message(MOTIFORA_TR("Задано неверное значение размера конечного буфера."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    if (finishSize <= 1) {
        message(
            MOTIFORA_TR(
                "Неверно задан размер конеченого буфера. Это значение должено быть целым и быть "
                "больше единицы."),
            MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
        return;
    }
    // The rules grid takes its new size before the remaining checks.
    RulesList.setRowCount(rowsAfter(1, finishSize));
    int32_t subSize = 0;
    if (!NumberFormat::readInteger(SubBuffersSizeEdit.text(), subSize)) {
        message(MOTIFORA_TR("Задано неверное значение размера промежуточных буферов."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    if (subSize < 1) {
        message(MOTIFORA_TR(
                    "Неверно задан размер промежуточных буферов. Это значение должено быть целым и "
                    "быть больше нуля."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
        return;
    }
    int32_t mode = 0;
    int32_t width = 0;
    if (btnShiftPositionsRadio.checked()) {
        if (!NumberFormat::readInteger(FrameWidthEdit.text(), width)) {
            message(MOTIFORA_TR("Задано неверное значение ширины рамки сканирования."),
                    MOTIFORA_TR("Ошибка"), MessageIcon::Error);
            return;
        }
        if (width <= 2) {
            message(
                MOTIFORA_TR(
                    "Неверно задано значение ширины рамки сканирования. Это значение должно быть "
                    "целым и быть больше двух."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
            return;
        }
        mode = 1;
    }

    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        FinishProgress.setRange(0, finishSize);
        PreBufProgress.setRange(0, subSize);
        PostBufProgress.setRange(0, subSize);
        RulesList.clearDataRows();
        shownRuleCount = 0;
    }

    int result = -1;
    try {
        result = m.startRuleSearch(confidence, cp, finishSize, subSize, mode, width);
    } catch (const std::bad_alloc&) {
        // A buffer size the machine cannot hold is a failed start, not a crash.
        m.stopRuleSearch();
        result = -1;
    }
    if (result == -1) {
        message(MOTIFORA_TR("Невозможно запустить процесс поиска закономернстей."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    LockCommands(0);
    btnStartSearchRules.setEnabled(true);
    btnStopSearchRules.setEnabled(true);
    btnPauseSearchRules.setEnabled(true);
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        IdealizObjectsList.setRowCount(rowsAfter(IdealizObjectsList.rowCount(), finishSize));
        IdealizObjectsList.clearDataRows();
        StatusBar1.setPanel(1, kSearchRunning);
        // A new search counts its own time, not the paused time of earlier ones.
        runStartTime = now();
        runTimeBefore = 0.0;
    }
}

void TMainForm::btnStopSearchRulesClick() {
    if (!mainManager) return;
    mainManager->stopRuleSearch();
    StatusBar1.setPanel(1, "");
}

void TMainForm::btnPauseSearchRulesClick() {
    if (!mainManager) return;
    TMainManager& m = *mainManager;
    // Pausing what does not run would close the gate in front of the next search, and a second
    // pause would bank the same time twice.
    if (!m.isWorking()) return;
    m.pauseRuleSearch();
    StatusBar1.setPanel(1, kSearchPaused);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    runTimeBefore += now() - runStartTime;
}

void TMainForm::btnFixedPositionsRadioClick() {
    const bool fixed = btnFixedPositionsRadio.checked();
    FrameWidthEdit.setEnabled(!fixed);
    FrameWidthUpDown.setEnabled(!fixed);
}

void TMainForm::btnShiftPositionsRadioClick() {
    const bool shift = btnShiftPositionsRadio.checked();
    FrameWidthEdit.setEnabled(shift);
    FrameWidthUpDown.setEnabled(shift);
}

void TMainForm::chooseAlignment(bool shiftPositions) {
    btnFixedPositionsRadio.setChecked(!shiftPositions);
    btnShiftPositionsRadio.setChecked(shiftPositions);
    if (shiftPositions)
        btnShiftPositionsRadioClick();
    else
        btnFixedPositionsRadioClick();
}

}  // namespace motifora
