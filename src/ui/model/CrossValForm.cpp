// The "Cross-validation" window's commands and the run's progress and results shown in it.
#include "ui/model/CrossValForm.h"

#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

TCrossValForm::TCrossValForm(TMainForm& main, std::recursive_mutex& mutex)
    : mutex_(mutex), main_(main) {
    Window.setVisible(false);
    ErrorsList.setHeaders({"Fold", "Positives", "Negatives", "AUC", "Level", "First level errors",
                           "Second level errors"});
}

std::shared_ptr<const CrossValidationResult> TCrossValForm::shownResult() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return shown_;
}

ScoreKind TCrossValForm::shownScore() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return shownScore_;
}

std::shared_ptr<const std::vector<ContrastChoice>> TCrossValForm::shownChoices() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return shownChoices_;
}

void TCrossValForm::StartBtnClick() {
    TMainManager& m = main_.manager();
    if (running_ && m.isPaused()) {
        m.resumeCrossValidation();
        PauseBtn.setEnabled(true);
        return;
    }
    const auto refuse = [this](const std::string& why) {
        main_.message(why, "Error", MessageIcon::Error);
    };
    CrossValidationSettings settings = m.crossValidationDefaults();
    int32_t folds = 0;
    if (!NumberFormat::readInteger(FoldsEdit.text(), folds) ||
        checkCrossValidationField(CrossValidationField::Folds, folds))
        return refuse("The number of folds must be a whole number of at least 2.");
    int32_t seed = 0;
    if (!NumberFormat::readInteger(SeedEdit.text(), seed) || seed < 0)
        return refuse("The seed must be a whole number of at least 0.");
    double wanted = 0.0;
    if (!main_.numbers().readReal(WantedErrorEdit.text(), wanted) ||
        checkCrossValidationField(CrossValidationField::WantedFirstError, wanted))
        return refuse("The wanted first-level error must be a number from 0 to 1.");
    settings.folds = folds;
    settings.seed = static_cast<uint64_t>(seed);
    settings.wantedFirstError = wanted;
    settings.levelRule = LevelRuleGroup.itemIndex() == 1 ? LevelRule::kBalancedAccuracy
                                                         : LevelRule::kWantedFirstError;
    const int32_t score = ScoreGroup.itemIndex();
    ContrastTuning tuning;
    tuning.letters = false;  // as --contrast-tune tunes the sums of the rules' weights
    const CrossValidationStart started = m.startCrossValidation(
        settings, score == 0 ? ScoreKind::kClass : ScoreKind::kDiscriminative,
        score == 2 ? &tuning : nullptr);
    if (started == CrossValidationStart::Refused)
        return refuse("Cross-validation cannot run: " + m.crossValidationError() + ".");
    if (started != CrossValidationStart::Started)
        return refuse("Cross-validation cannot run while another process runs.");
    running_ = true;
    StartBtn.setEnabled(false);
    PauseBtn.setEnabled(true);
    StopBtn.setEnabled(true);
    UseLevelBtn.setEnabled(false);
    Progress.setRange(0, folds * 3);
    Progress.setPosition(0);
    StatusLabel.setText("Started");
}

void TCrossValForm::PauseBtnClick() {
    TMainManager& m = main_.manager();
    if (!running_) return;
    m.pauseCrossValidation();
    PauseBtn.setEnabled(false);
    StartBtn.setEnabled(true);
    StatusLabel.setText("Paused");
}

void TCrossValForm::StopBtnClick() {
    if (!running_) return;
    main_.manager().stopCrossValidation();
    StatusLabel.setText("Stopping...");
}

void TCrossValForm::Tick() {
    if (!running_) return;
    TMainManager& m = main_.manager();
    if (m.crossValidationActive()) {
        const CrossValidationProgress& progress = m.crossValidationProgress();
        int32_t position = 0;
        std::string text;
        for (int32_t f = 0; f < progress.foldCount(); ++f) {
            const auto& fold = progress.fold(f);
            const int32_t stage = fold.stage.load();
            position += stage >= static_cast<int32_t>(FoldStage::kDone) ? 3
                        : stage > 0                                     ? stage - 1
                                                                        : 0;
            if (stage >= 1 && stage <= 3) {
                static const char* const kStages[] = {"", "search", "idealization", "scores"};
                text += (text.empty() ? "" : ", ") + std::string("fold ") + std::to_string(f + 1) +
                        " " + kStages[stage] + " " + std::to_string(fold.step.load() + 1) + "/" +
                        std::to_string(fold.steps.load());
            }
        }
        Progress.setPosition(position);
        if (!m.isPaused()) StatusLabel.setText(text.empty() ? "Running" : text);
        return;
    }
    // The worker has stored its result; the next process's start waits for its thread.
    runEnded();
    const std::string failure = m.takeWorkerError();
    if (!failure.empty()) {
        m.takeEnd(TMainManager::Process::None);
        StatusLabel.setText("Stopped");
        main_.message(failure, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    const auto result = m.crossValidationResult();
    if (!result || !result->complete) {
        StatusLabel.setText("Stopped");
        return;
    }
    Progress.setPosition(Progress.maximum());
    StatusLabel.setText("Done");
    showResult(*result);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    shown_ = result;
    shownScore_ = m.crossValidationScore();
    shownChoices_ = m.crossValidationChoices();
}

void TCrossValForm::clearResult() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    shown_.reset();
    Roc.setValue({});
    Histograms.setValue({});
    ErrorsList.setRowCount(1);
    ResultLabel.setText("");
    if (!running_) StatusLabel.setText("");
    UseLevelBtn.setEnabled(false);
}

void TCrossValForm::runEnded() {
    running_ = false;
    StartBtn.setEnabled(true);
    PauseBtn.setEnabled(false);
    StopBtn.setEnabled(false);
}

void TCrossValForm::showResult(const CrossValidationResult& r) {
    const NumberFormat& numbers = main_.numbers();
    auto fixed = [&](double v, int d) { return numbers.fixed(v, d); };
    auto errorsText = [&](const Proportion& p) {
        return std::to_string(p.count) + " of " + std::to_string(p.total) + " (" +
               fixed(p.rate, 3) + ")";
    };
    RocCurve curve;
    for (const RocPoint& p : r.roc)
        curve.points.emplace_back(p.falsePositiveRate, p.truePositiveRate);
    curve.operatingPoint = {r.errors.second.rate, 1 - r.errors.first.rate};
    curve.aucText = "AUC " + fixed(r.auc.auc, 3) + " (95 % DeLong " + fixed(r.auc.low, 3) + " - " +
                    fixed(r.auc.high, 3) + ")";
    curve.shown = true;
    Roc.setValue(std::move(curve));
    Histograms.setValue({r.histogram, r.level, true});

    ErrorsList.setRowCount(static_cast<int32_t>(r.folds.size()) + 2);
    int32_t row = 1;
    for (const FoldSummary& f : r.folds) {
        ErrorsList.setCell(0, row, std::to_string(f.fold + 1));
        ErrorsList.setCell(1, row, std::to_string(f.positives));
        ErrorsList.setCell(2, row, std::to_string(f.negatives));
        ErrorsList.setCell(3, row, fixed(f.auc.auc, 3));
        ErrorsList.setCell(4, row, fixed(f.errors.level, 2));
        ErrorsList.setCell(5, row, errorsText(f.errors.first));
        ErrorsList.setCell(6, row, errorsText(f.errors.second));
        ++row;
    }
    ErrorsList.setCell(0, row, "pooled");
    ErrorsList.setCell(1, row, std::to_string(r.errors.first.total));
    ErrorsList.setCell(2, row, std::to_string(r.errors.second.total));
    ErrorsList.setCell(3, row, fixed(r.auc.auc, 3));
    ErrorsList.setCell(4, row, fixed(r.level, 2));
    ErrorsList.setCell(5, row, errorsText(r.errors.first));
    ErrorsList.setCell(6, row, errorsText(r.errors.second));
    ResultLabel.setText(Roc.value().aucText + "; level " + fixed(r.level, 2) +
                        (main_.manager().crossValidationScore() == ScoreKind::kDiscriminative
                             ? " (discriminative score)"
                             : ""));
    UseLevelBtn.setEnabled(true);
}

void TCrossValForm::UseLevelBtnClick() {
    const auto result = shownResult();
    if (!result) return;
    const std::string level = main_.numbers().fixed(result->level, 2);
    main_.RecLevelEdit.setText(level);
    std::string done;
    if (main_.RecLevelEdit.enabled()) {
        main_.ReCount2();
        done = "Recogn. Level set to " + level + " and the errors counted at it.";
    } else {
        // The field waits for an error counting, which proposes its own level first.
        done = "Recogn. Level set to " + level +
               "; count the recognition errors, then press Enter in Recogn. Level to use it.";
    }
    StatusLabel.setText(done);
    main_.StatusBar1.setPanel(2, done);
}

}  // namespace motifora
