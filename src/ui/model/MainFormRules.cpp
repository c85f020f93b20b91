// The "Rules" page: the regularity search settings, their checks in order, start, pause, stop.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "core/Translatable.h"
#include "rules/SearchSettings.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

const char* const kSearchRunning = MOTIFORA_TR("Идет процесс поиска закономерностей ...");
const char* const kSearchPaused = MOTIFORA_TR("Процесс поиска закономерностей приостановлен.");

// What the start command says of a search setting that is not a number (an error) or lies out
// of its bounds (a warning), by SearchField.
struct SearchMessage {
    const char* notANumber;
    const char* outOfBounds;
};
const SearchMessage kSearchMessages[] = {
    {MOTIFORA_TR("Задано неверное значение доверительного интервала критерия Фишера."),
     MOTIFORA_TR("Неверно задано значение доверительного интервала критерия Фишера, это значение "
                 "должно быть вещественным и лежать в пределах от 0 до 1. Рекомендуемые значения "
                 "0,05  и 0,001")},
    {MOTIFORA_TR("Задано неверное значение порога условной вероятности найденных закономерностей."),
     MOTIFORA_TR("Неверно задано значение порога условной вероятности найденных закономерностей. "
                 "Это значение должно быть вещественным и лежать в пределах от 0 до 1.")},
    {MOTIFORA_TR("Задано неверное значение размера конечного буфера."),
     MOTIFORA_TR("Неверно задан размер конеченого буфера. Это значение должено быть целым и быть "
                 "больше единицы.")},
    {MOTIFORA_TR("Задано неверное значение размера промежуточных буферов."),
     MOTIFORA_TR("Неверно задан размер промежуточных буферов. Это значение должено быть целым и "
                 "быть больше нуля.")},
    {MOTIFORA_TR("Задано неверное значение ширины рамки сканирования."),
     MOTIFORA_TR("Неверно задано значение ширины рамки сканирования. Это значение должно быть "
                 "целым и быть больше двух.")},
};

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
    if (!m.learnPositiveLoaded()) {
        message(MOTIFORA_TR("Для поиска закономерностей необходимо закгрузать хотя бы одну "
                            "последовательность."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
        return;
    }
    // Either search needs learning positives; "samples" runs the discriminative one.
    if (samplesChosen()) return startContrastSearch();
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

    // The frame width counts only in shift positions; the edit is not read otherwise.
    SearchSettingsText typed{ConfIntEdit.text(), CPEdit.text(), FinishStorSizeEdit.text(),
                             SubBuffersSizeEdit.text(), std::nullopt};
    SearchSettings settings;
    if (btnShiftPositionsRadio.checked()) {
        typed.frameWidth = FrameWidthEdit.text();
        settings.workMode = WorkMode::kShift;
    }
    const auto readReal = [this](const std::string& text, double& value) {
        return numberFormat.readReal(text, value);
    };
    const std::optional<SearchProblem> problem = readSearchSettings(typed, readReal, settings);
    // The rules grid takes its new size once the finish buffer has passed, before the remaining
    // checks.
    if (!problem || problem->field > SearchField::FinishBufferSize)
        RulesList.setRowCount(rowsAfter(1, settings.finishBufferSize));
    if (problem) return showSearchProblem(*problem);
    const int32_t finishSize = settings.finishBufferSize;
    const int32_t subSize = settings.subBufferSize;

    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        FinishProgress.setRange(0, finishSize);
        PreBufProgress.setRange(0, subSize);
        PostBufProgress.setRange(0, subSize);
        RulesList.clearDataRows();
        shownRuleCount = 0;
    }

    RuleSearchStart result = RuleSearchStart::NotStarted;
    try {
        result = m.startRuleSearch(settings);
    } catch (const std::bad_alloc&) {
        // A buffer size the machine cannot hold is a failed start, not a crash.
        m.stopRuleSearch();
        result = RuleSearchStart::NotStarted;
    }
    if (result != RuleSearchStart::Started) {
        message(MOTIFORA_TR("Невозможно запустить процесс поиска закономернстей."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    LockCommands(CommandLock::All);
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

void TMainForm::showSearchProblem(const SearchProblem& problem) {
    const SearchMessage& text = kSearchMessages[static_cast<size_t>(problem.field)];
    if (problem.fault == SearchFault::NotANumber)
        message(text.notANumber, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
    else
        message(text.outOfBounds, MOTIFORA_TR("Ошибка"), MessageIcon::Warning);
}

void TMainForm::btnStopSearchRulesClick() {
    if (!mainManager) return;
    if (samplesChosen()) return stopContrastSearch();
    mainManager->stopRuleSearch();
    StatusBar1.setPanel(1, "");
}

void TMainForm::btnPauseSearchRulesClick() {
    if (!mainManager) return;
    if (samplesChosen()) return pauseContrastSearch();
    if (!pauseWorking(&TMainManager::pauseRuleSearch, kSearchPaused)) return;
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
