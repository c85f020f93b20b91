// The held-out evaluation of a batch run: the cross-validation process, the control decision,
// the score table, the evaluation report and their summary lines.
#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/BatchRun.h"
#include "cli/ExitCode.h"
#include "cli/HeldOutOutputs.h"
#include "cli/Interrupt.h"
#include "cli/WorkerWait.h"
#include "core/NumberFormat.h"
#include "evaluation/ContrastScore.h"
#include "io/ContrastFile.h"
#include "io/SafeFile.h"
#include "rules/SearchSettings.h"
#include "workspace/EvaluationReportSource.h"
#include "workspace/TMainManager.h"

#ifndef MOTIFORA_VERSION
#define MOTIFORA_VERSION "0"
#endif

namespace motifora {

namespace {

const char* stageText(int32_t stage) {
    switch (static_cast<FoldStage>(stage)) {
        case FoldStage::kWaiting:
            return "waiting";
        case FoldStage::kSearching:
            return "search";
        case FoldStage::kIdealizing:
            return "idealization";
        case FoldStage::kScoring:
            return "scores";
        case FoldStage::kDone:
            return "done";
        case FoldStage::kStopped:
            return "stopped";
    }
    return "";
}

}  // namespace

std::string BatchRun::typedSearchSettings(CrossValidationSettings& settings) {
    // The page's edits hold what --confidence, --cp, --finish and --sub typed, else the opened
    // project's header or the window's defaults: what a search started now would use.
    TMainForm& f = form_;
    const SearchSettingsText typed{f.ConfIntEdit.text(), f.CPEdit.text(),
                                   f.FinishStorSizeEdit.text(), f.SubBuffersSizeEdit.text(),
                                   std::nullopt};
    const auto readReal = [&f](const std::string& text, double& value) {
        return f.numberFormat.readReal(text, value);
    };
    if (const auto problem = readSearchSettings(typed, readReal, settings.search)) {
        const std::optional<std::string>* texts[] = {&typed.confidence, &typed.cpThreshold,
                                                     &typed.finishBufferSize, &typed.subBufferSize};
        const std::string& text = **texts[static_cast<size_t>(problem->field)];
        double value = 0.0;
        int32_t whole = 0;
        if (problem->field <= SearchField::CpThreshold)
            f.numberFormat.readReal(text, value);
        else if (NumberFormat::readInteger(text, whole))
            value = whole;
        return describeSearchProblem(*problem, value);
    }
    return {};
}

int BatchRun::runCrossValidation() {
    // The discriminative search and its folds (--contrast) follow the class score's.
    if (!options_.crossValidateFolds) return runContrast();
    TMainManager& m = manager();
    CrossValidationSettings settings = m.crossValidationDefaults();
    if (const std::string refused = typedSearchSettings(settings); !refused.empty())
        return fail(kExitProcessFailed, "the cross-validation cannot run: " + refused);
    settings.folds = *options_.crossValidateFolds;
    settings.seed = options_.crossValidateSeed;
    if (options_.balanced) settings.levelRule = LevelRule::kBalancedAccuracy;
    if (options_.wantedFirstError) {
        double wanted = 0.05;
        readUserReal(*options_.wantedFirstError, wanted);
        settings.wantedFirstError = wanted;
    }
    const CrossValidationStart started = m.startCrossValidation(settings);
    if (started == CrossValidationStart::Refused)
        return fail(kExitProcessFailed,
                    "the cross-validation cannot run: " + m.crossValidationError());
    if (started != CrossValidationStart::Started)
        return fail(kExitProcessFailed, "the cross-validation could not start a worker");

    processStart_ = lastProgress_ = std::chrono::steady_clock::now();
    const auto stop = [&] {
        m.stopCrossValidation();
        note("motifora-cli: stopping the cross-validation ...");
    };
    const auto showFolds = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (!options_.quiet && now - lastProgress_ >= std::chrono::seconds(1)) {
            lastProgress_ = now;
            std::string text = "cross-validation";
            for (int32_t f = 0; f < m.crossValidationProgress().foldCount(); ++f) {
                const auto& p = m.crossValidationProgress().fold(f);
                text += (f == 0 ? ": " : ", ") + std::string("fold ") + std::to_string(f + 1) +
                        " " + stageText(p.stage.load());
                const int32_t stage = p.stage.load();
                if (stage >= 1 && stage <= 3)
                    text += " " + std::to_string(p.step.load() + 1) + "/" +
                            std::to_string(p.steps.load());
            }
            note(text);
        }
    };
    const bool stopped = waitWhileActive(
        m, [&m] { return m.crossValidationActive(); }, stop, showFolds);
    if (stopped) return interrupted("cross-validation");
    const std::string failure = m.takeWorkerError();
    if (!failure.empty())
        return fail(kExitProcessFailed, "the cross-validation failed: " + failure);
    crossValidation_ = m.crossValidationResult();
    if (!crossValidation_ || !crossValidation_->complete)
        return fail(kExitProcessFailed, "the cross-validation did not end");
    note("cross-validation ended");
    if (interruptRequested()) return interrupted(nullptr);
    return runContrast();
}

std::optional<double> BatchRun::decisionLevel() const {
    if (crossValidation_ && crossValidation_->complete) return crossValidation_->level;
    double level = 0.0;
    if (options_.level && readUserReal(*options_.level, level)) return level;
    return std::nullopt;
}

std::vector<ScoreRow> BatchRun::scoreRows() {
    TMainManager& m = manager();
    std::vector<ScoreRow> rows;
    const std::optional<double> level = decisionLevel();
    const ControlScores control = controlScores(m);
    auto add = [&](const char* sample, SampleKind kind, const std::vector<SequenceScore>& scores) {
        for (size_t i = 0; i < scores.size(); ++i) {
            const char* name = m.sequenceName(kind, static_cast<int32_t>(i));
            rows.push_back({sample,
                            name ? name : "",
                            0,
                            scores[i],
                            std::isnan(scores[i].bestScore)
                                ? std::string()
                                : decisionAt(scores[i].bestScore, level),
                            {},
                            {}});
        }
    };
    ControlScores listed = control;
    if (contrastScorer_ && control.negatives.empty() && control.positives.empty()) {
        // Without classes the control data have no class score, but tuned or fitted
        // discriminative scores of their own: one row each, its class score missing.
        SequenceScore none;
        none.bestScore = std::numeric_limits<double>::quiet_NaN();
        none.normalizedScore = none.bestScore;
        listed.negatives.assign(m.controlNegative().size(), none);
        listed.positives.assign(m.controlPositive().size(), none);
    }
    add("control negative", SampleKind::ControlNegative, listed.negatives);
    add("control positive", SampleKind::ControlPositive, listed.positives);
    if (contrastRules_) {
        // The rows hold the scored control negatives, then the scored control positives.
        const size_t negatives = std::min(listed.negatives.size(), m.controlNegative().size());
        const size_t positives = std::min(listed.positives.size(), m.controlPositive().size());
        // Tuned or fitted: probabilities, and a decision at the level of the inner
        // cross-validation that chose the rules' settings.
        const std::optional<double> contrastLevel = contrastControlLevel();
        auto put = [&](ScoreRow& row, const Sequence& record) {
            row.contrast = contrastScorer_ ? contrastScorer_->score(record)
                                           : contrastScore(*contrastRules_, record);
            if (contrastLevel) row.contrastDecision = decisionAt(*row.contrast, contrastLevel);
        };
        for (size_t i = 0; i < negatives; ++i) put(rows[i], m.controlNegative()[i]);
        for (size_t i = 0; i < positives; ++i)
            put(rows[listed.negatives.size() + i], m.controlPositive()[i]);
    }
    const size_t heldOutFrom = rows.size();
    if (crossValidation_ && crossValidation_->complete) {
        for (const HeldOutSequence& h : crossValidation_->sequences) {
            const SampleKind kind =
                h.positive ? SampleKind::LearnPositive : SampleKind::LearnNegative;
            const char* name = m.sequenceName(kind, h.record);
            rows.push_back({h.positive ? "learning positive" : "learning negative",
                            name ? name : "",
                            h.fold + 1,
                            h.score,
                            decisionAt(h.score.bestScore, crossValidation_->level),
                            {},
                            {}});
        }
        if (contrastValidation_ && contrastValidation_->complete &&
            contrastValidation_->sequences.size() == rows.size() - heldOutFrom) {
            const bool inner = contrastControlLevel().has_value() &&
                               contrastChoices_.size() == contrastValidation_->folds.size();
            for (size_t i = heldOutFrom; i < rows.size(); ++i) {
                const HeldOutSequence& h = contrastValidation_->sequences[i - heldOutFrom];
                rows[i].contrast = h.score.bestScore;
                const double level =
                    inner ? contrastDecisionLevel(contrastChoices_[static_cast<size_t>(h.fold)])
                          : std::numeric_limits<double>::quiet_NaN();
                if (!std::isnan(level))
                    rows[i].contrastDecision = decisionAt(h.score.bestScore, level);
            }
        }
    }
    return rows;
}

int BatchRun::writeHeldOutOutputs(nlohmann::ordered_json* summary) {
    const bool wantRows = !options_.scores.empty() || summary != nullptr;
    const std::vector<ScoreRow> rows = wantRows ? scoreRows() : std::vector<ScoreRow>{};
    if (summary != nullptr) {
        if (crossValidation_)
            (*summary)["crossValidation"] = crossValidationJson(*crossValidation_);
        if (!rows.empty()) (*summary)["sequenceScores"] = scoresJson(rows);
        if (contrastRules_) (*summary)["contrast"] = contrastJson();
        return kExitSuccess;
    }
    if (contrastRules_ && !options_.save.empty()) {
        // The project keeps its own bytes; the discriminative rules go beside it.
        const std::string path = ContrastSideFileName(options_.save);
        const Status status = WriteContrastRules(path, *contrastRules_);
        if (!status.ok) return fail(kExitOutputFailed, status.message);
        written_.emplace_back("discriminative rules", path);
    }
    if (!options_.scores.empty()) {
        const Status status = WriteFileAtomically(options_.scores, scoresTsv(rows));
        if (!status.ok) return fail(kExitOutputFailed, status.message);
        written_.emplace_back("score table", options_.scores);
    }
    if (!options_.evaluationReport.empty()) {
        TMainManager& m = manager();
        std::optional<ControlDecision> decision;
        const std::optional<double> level = decisionLevel();
        const ControlScores control = controlScores(m);
        if (level && !control.negatives.empty()) {
            decision = ControlDecision{
                *level,
                crossValidation_ ? "the cross-validated level" : "the level given with --level",
                controlErrors(control, *level)};
        }
        const SamplePaths paths{options_.positive, options_.negative, options_.controlNegative,
                                options_.controlPositive};
        EvaluationReportData data =
            evaluationReportData(m, paths, crossValidation_.get(), decision, MOTIFORA_VERSION);
        const ContrastReport contrast = contrastReport();
        if (contrastRules_) data.contrast = &contrast;
        const std::string path = WithExtension(options_.evaluationReport, ".html");
        const Status status = WriteEvaluationReport(path, data);
        if (!status.ok) return fail(kExitOutputFailed, status.message);
        written_.emplace_back("evaluation report", path);
    }
    return kExitSuccess;
}

void BatchRun::printHeldOutSummary(std::ostream& summary) {
    if (crossValidation_) summary << crossValidationText(*crossValidation_);
    if (contrastRules_) summary << contrastText();
    const std::optional<double> level = decisionLevel();
    printContrastControlDecision(summary);
    if (!level || !(crossValidation_ || options_.level)) return;
    const ControlScores control = controlScores(manager());
    if (control.negatives.empty()) return;
    const LevelErrors errors = controlErrors(control, *level);
    if (!crossValidation_ && options_.scores.empty() && options_.evaluationReport.empty()) return;
    char levelText[40];
    std::snprintf(levelText, sizeof levelText, "%.2f", *level);
    summary << "Control decision at level " << levelText << ": first level errors "
            << errors.first.count << " of " << errors.first.total << ", second level errors "
            << errors.second.count << " of " << errors.second.total << "\n";
}

void BatchRun::printContrastControlDecision(std::ostream& summary) {
    const std::optional<double> level = contrastControlLevel();
    if (!level) return;
    TMainManager& m = manager();
    if (m.controlNegative().empty() && m.controlPositive().empty()) return;
    LabelledScores scores;
    for (const Sequence& r : m.controlPositive())
        scores.positives.push_back(contrastScorer_->score(r));
    for (const Sequence& r : m.controlNegative())
        scores.negatives.push_back(contrastScorer_->score(r));
    const LevelErrors errors = errorsAtLevel(scores, *level);
    summary << "Discriminative control decision at probability " << printfFixed(*level, 2)
            << (options_.balanced ? " (fixed before the data were seen)"
                                  : " (chosen by an inner cross-validation of the learning "
                                    "sequences)")
            << ": first level errors " << errors.first.count << " of " << errors.first.total
            << ", second level errors " << errors.second.count << " of " << errors.second.total
            << "\n";
}

}  // namespace motifora
