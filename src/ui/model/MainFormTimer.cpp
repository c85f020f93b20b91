// The window's 100 ms timer: elapsed time while a process runs, and the report of its end.
#include <utility>

#include "core/Translatable.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

void TMainForm::SearchingTimerTimer() {
    if (!mainManager) return;
    TMainManager& m = *mainManager;
    CrossValForm.Tick();
    tickContrastSearch();
    const auto elapsed = [this] {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        return formatElapsed(now() - runStartTime + runTimeBefore);
    };
    const auto hasRules = [&m] { return m.rules && m.rules->Count() >= 1; };
    // The end of a process is reported with its own message, unless its worker was cut short:
    // then the reason is shown instead, so that a failure never reads as a success.
    // A process stopped by closing the window says so, and what it kept (`kept`).
    const auto reportEnd = [this, &m](const char* successText, const std::string& kept = {}) {
        const std::string failure = m.takeWorkerError();
        bool stopped = false;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            stopped = std::exchange(stoppedByClose_, false);
        }
        if (stopped && failure.empty() && !kept.empty()) {
            message(kept, MOTIFORA_TR("Сообщение"), MessageIcon::Information);
        } else if (failure.empty()) {
            message(successText, MOTIFORA_TR("Сообщение"), MessageIcon::Information);
        } else {
            message(failure, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        }
    };

    using Process = TMainManager::Process;
    switch (m.activeProcess()) {
        case Process::RuleSearch:
            if (m.isWorking()) {
                TimerLabel.setText(elapsed());
            } else if (m.hasEnded()) {
                m.takeEnd(Process::RuleSearch);
                FinishProgress.setPosition(0);
                PreBufProgress.setPosition(0);
                PostBufProgress.setPosition(0);
                StatusBar1.setPanel(1, "");
                reportEnd(MOTIFORA_TR("Процесс поиска закономерностей успешно завершен."),
                          MOTIFORA_TR("Поиск закономерностей остановлен закрытием окна. Найденные "
                                      "закономерности сохраняются, их число: ") +
                              std::to_string(m.rules ? m.rules->Count() : 0));
                if (hasRules()) {
                    btnStartIdealization.setEnabled(true);
                    btnStopIdealization.setEnabled(true);
                    btnPauseIdealization.setEnabled(true);
                }
            }
            break;
        case Process::Idealization:
            if (m.isWorking()) {
                std::lock_guard<std::recursive_mutex> lock(mutex_);
                lblTime.setText(
                    formatElapsed(now() - idealizationStartTime + idealizationTimeBefore));
            } else if (m.hasEnded()) {
                m.takeEnd(Process::Idealization);
                // The countdown reaches its end however the run ended.
                CountDownLabel.setText("0");
                // The end step leaves the list with one row per class.
                IdealizObjectsList.setRowCount(m.classCount + 1);
                StatusBar1.setPanel(1, "");
                StatusBar1.setPanel(2, "");
                reportEnd(MOTIFORA_TR("Процесс идеализации успешно завершен."),
                          MOTIFORA_TR("Идеализация остановлена закрытием окна. Построенные классы "
                                      "сохраняются, их число: ") +
                              std::to_string(m.classCount));
                if (hasRules()) UnlockCommands(CommandLock::ClassSearchApart);
            }
            break;
        case Process::Classification:
            if (m.isWorking()) break;
            if (!m.isPaused() && !m.hasEnded()) {
                // A stopped worker finishes the object in hand before it returns, and a normal
                // end clears `running` just before it sets `finished`: wait for the worker,
                // then look again, so that an end is never taken for a stop and no worker
                // outlives the commands being unlocked.
                m.joinWorker();
            }
            if (m.isPaused()) break;
            if (m.hasEnded()) {
                m.takeEnd(Process::Classification);
                StatusBar1.setPanel(1, "");
                StatusBar1.setPanel(2, "");
                reportEnd(
                    MOTIFORA_TR("Процесс классификации контрольной выборки успешно завершен."));
                UnlockCommands(CommandLock::All);
                btnPauseSearchClass.setEnabled(false);
                btnStopSearchClass.setEnabled(false);
            } else {
                m.takeEnd(Process::Classification);
                StatusBar1.setPanel(1, "");
                StatusBar1.setPanel(2, "");
                UnlockCommands(CommandLock::All);
                btnPauseSearchClass.setEnabled(false);
                btnStopSearchClass.setEnabled(false);
                btnCountRecErrors.setEnabled(false);
            }
            break;
        case Process::Scan:
            tickScanDisplay();
            break;
        case Process::None:
            if (m.hasEnded() && !m.isRunning()) {
                // A worker cut short before it could mark its process as started (or one of
                // the processes the timer does not report) leaves only its reason behind.
                const std::string failure = m.takeWorkerError();
                if (!failure.empty()) {
                    m.takeEnd(Process::None);
                    StatusBar1.setPanel(1, "");
                    StatusBar1.setPanel(2, "");
                    message(failure, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
                    UnlockCommands(CommandLock::All);
                }
            }
            break;
    }
}

void TMainForm::setWorkerEndListener(std::function<void()> listener) {
    workerEndListener_ = std::move(listener);
    if (mainManager) mainManager->setWorkerEndListener(workerEndListener_);
}

}  // namespace motifora
