// The Rules page in "samples": the discriminative search started, paused and stopped with the
// page's buttons and thresholds, its rules grid and its heat map.
#include <algorithm>
#include <optional>
#include <string>

#include "core/Translatable.h"
#include "rules/RegGenerator.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr const char* kContrastRunning = "Discriminative search in progress ...";
constexpr const char* kContrastPaused = "The discriminative search is paused.";

// The commands a discriminative search locks while it runs (their states are given back at its
// end): those every long process locks, the mode and the heat map.
std::vector<Control*> contrastLocked(TMainForm& f) {
    std::vector<Control*> locked = f.processLockedControls();
    locked.push_back(&f.RegularitiesGroup);
    locked.push_back(&f.btnContrastMap);
    return locked;
}

}  // namespace

void TMainForm::RegularitiesGroupClick(int32_t index) {
    if (!mainManager || index < 0 || index > 1) return;
    TMainManager& m = *mainManager;
    if (index != RegularitiesGroup.itemIndex() && (m.workerLive() || contrastRunning_)) {
        message("Stop the running process before choosing what the regularities predict.", "Error",
                MessageIcon::Warning);
        return;
    }
    RegularitiesGroup.setItemIndex(index);
    m.setRegularityTarget(index == 1 ? TMainManager::RegularityTarget::Samples
                                     : TMainManager::RegularityTarget::Letters);
    showRulesGridOfMode();
}

void TMainForm::showRulesGridOfMode() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const bool rulesPage = page_ == Page::Rules;
    const bool samples = samplesChosen();
    ContrastRulesList.setVisible(rulesPage && samples);
    if (!rulesPage) return;
    RulesList.setVisible(!samples);
    LowerGridLabel.setText(samples ? "Discriminative Rules" : "Rules");
}

void TMainForm::refillContrastRules() {
    if (!mainManager) return;
    const auto rules = mainManager->contrastRules();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ContrastRulesList.clearDataRows();
    if (!rules) {
        ContrastRulesList.setRowCount(2);
        HeatMap empty;
        empty.title =
            "No discriminative rules yet: choose \"samples\" on the Rules page and "
            "start the search.";
        ContrastMap.setMap(std::move(empty));
        btnContrastMap.setEnabled(false);
        return;
    }
    const auto rows = contrastGridRows(*rules);
    ContrastRulesList.setRowCount(static_cast<int32_t>(std::max<size_t>(rows.size(), 1)) + 1);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c)
            ContrastRulesList.setCell(static_cast<int32_t>(c), static_cast<int32_t>(r + 1),
                                      rows[r][c]);
    }
    ContrastMap.setMap(buildContrastHeatMap(*rules, numberFormat));
    btnContrastMap.setEnabled(!contrastRunning_);
}

void TMainForm::btnContrastMapClick() {
    if (!mainManager) return;
    refillContrastRules();
    ContrastMap.setVisible(true);
}

void TMainForm::startContrastSearch() {
    TMainManager& m = *mainManager;
    if (m.isRunning()) {
        // Only a paused discriminative search is resumed here.
        if (contrastRunning_ && m.isPaused()) {
            m.resumeContrastSearch();
            StatusBar1.setPanel(1, kContrastRunning);
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            runStartTime = now();
        }
        return;
    }
    // The page's thresholds, read and checked as the letters search reads them (its messages,
    // its separator switch); the frame width does not count here.
    const SearchSettingsText typed{ConfIntEdit.text(), CPEdit.text(), FinishStorSizeEdit.text(),
                                   SubBuffersSizeEdit.text(), std::nullopt};
    SearchSettings read;
    const auto readReal = [this](const std::string& text, double& value) {
        return numberFormat.readReal(text, value);
    };
    if (const auto problem = readSearchSettings(typed, readReal, read))
        return showSearchProblem(*problem);
    // The search compares whole aligned sequences; windows of a frame have no sample of their own.
    if (btnShiftPositionsRadio.checked()) {
        message(
            "The discriminative search works on whole aligned sequences: choose \"Fixed "
            "positions\".",
            "Error", MessageIcon::Warning);
        return;
    }
    ContrastSettings settings;
    settings.search = read;
    settings.threads = m.generator().threadCount;

    const int started = m.startContrastSearch(settings);
    if (started == TMainManager::kContrastRefused) {
        message("The discriminative search cannot start: " + m.contrastError() + ".", "Error",
                MessageIcon::Error);
        return;
    }
    if (started != StartCode::kStarted) {
        message("The discriminative search cannot start while another process runs.", "Error",
                MessageIcon::Error);
        return;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        contrastRunning_ = true;
        contrastLockedStates_.clear();
        for (Control* c : contrastLocked(*this)) {
            contrastLockedStates_.push_back(c->enabled());
            c->setEnabled(false);
        }
        btnStartSearchRules.setEnabled(true);
        btnStopSearchRules.setEnabled(true);
        btnPauseSearchRules.setEnabled(true);
        StatusBar1.setPanel(1, kContrastRunning);
        runStartTime = now();
        runTimeBefore = 0.0;
    }
    refillContrastRules();
}

void TMainForm::pauseContrastSearch() {
    TMainManager& m = *mainManager;
    if (!contrastRunning_ || !m.isWorking()) return;
    m.pauseContrastSearch();
    StatusBar1.setPanel(1, kContrastPaused);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    runTimeBefore += now() - runStartTime;
}

void TMainForm::stopContrastSearch() {
    if (!contrastRunning_) return;
    mainManager->stopContrastSearch();
    StatusBar1.setPanel(1, "");
}

void TMainForm::forgetContrastSearch() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!contrastRunning_) return;
    contrastRunning_ = false;
    contrastLockedStates_.clear();
    RegularitiesGroup.setEnabled(true);
}

void TMainForm::tickContrastSearch() {
    if (!contrastRunning_) return;
    TMainManager& m = *mainManager;
    if (m.contrastSearchActive()) {
        if (m.isWorking()) {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            TimerLabel.setText(formatElapsed(now() - runStartTime + runTimeBefore));
        }
        return;
    }
    // The worker has stored its rules; the next process's start waits for its thread.
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        contrastRunning_ = false;
        const std::vector<Control*> locked = contrastLocked(*this);
        for (size_t i = 0; i < locked.size() && i < contrastLockedStates_.size(); ++i)
            locked[i]->setEnabled(contrastLockedStates_[i]);
        contrastLockedStates_.clear();
        StatusBar1.setPanel(1, "");
    }
    refillContrastRules();
    const std::string failure = m.takeWorkerError();
    if (!failure.empty()) {
        m.takeEnd(TMainManager::Process::None);
        message(failure, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    const auto rules = m.contrastRules();
    const size_t count = rules ? rules->rules.size() : 0;
    size_t positive = 0;
    if (rules)
        for (const ContrastRule& r : rules->rules) positive += r.predictsPositive() ? 1 : 0;
    const std::string found = std::to_string(count) + (count == 1 ? " rule" : " rules") + " (" +
                              std::to_string(positive) + " predicting a positive)";
    message(rules && rules->complete
                ? "The discriminative search is finished: " + found + "."
                : "The discriminative search was stopped; the rules found so far are kept: " +
                      found + ".",
            "Message", MessageIcon::Information);
}

}  // namespace motifora
