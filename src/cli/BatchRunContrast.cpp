// --contrast: the discriminative search on the learning samples, the cross-validation of its
// score on the folds of --cross-validate, and what the outputs show of them.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/BatchRun.h"
#include "cli/ExitCode.h"
#include "cli/Interrupt.h"
#include "core/NumberFormat.h"
#include "evaluation/ContrastScore.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr size_t kListedRules = 20;  // rules in the report, the JSON and the summary (10)

std::string fixed(double value, int decimals) { return printfFixed(value, decimals); }
std::string scientific(double value) { return printfScientific(value, 3); }

// Test hook, as for the window's processes: when the environment's MOTIFORA_TEST_HOLD names
// `what`, its work is held at its first gate until it is stopped, so that a test can interrupt
// it however fast the machine is.
void holdContrastWhenAsked(const char* what, RunControl& control) {
    const char* asked = std::getenv("MOTIFORA_TEST_HOLD");
    if (asked != nullptr && std::string(asked) == what) control.hold();
}

}  // namespace

bool BatchRun::contrastCalibrated() const {
    if (!contrastValidation_ || !options_.contrastTune || contrastChoices_.empty()) return false;
    for (const ContrastChoice& c : contrastChoices_)
        if (!c.calibration.fitted) return false;
    return true;
}

std::string BatchRun::contrastTuningText() const {
    if (!contrastValidation_ || !options_.contrastTune) return {};
    std::string text = "CP threshold / sub-buffer chosen on each fold's training sequences:";
    for (const ContrastChoice& c : contrastChoices_)
        text += " " + fixed(c.cpThreshold, 2) + "/" + std::to_string(c.subBufferSize);
    if (contrastCalibrated()) text += "; scores calibrated to probabilities on them";
    return text;
}

int BatchRun::runContrast() {
    if (!options_.contrast) return kExitSuccess;
    TMainManager& m = manager();
    if (m.learnNegative.empty() || m.learnPositive.empty())
        return fail(kExitProcessFailed,
                    "the discriminative search needs learning positive and learning negative "
                    "samples");
    CrossValidationSettings settings = m.crossValidationDefaults();
    if (const std::string refused = typedSearchSettings(settings); !refused.empty())
        return fail(kExitProcessFailed, "the discriminative search cannot run: " + refused);
    const ContrastSettings search = contrastSettingsOf(settings);
    note("discriminative search ...");
    // The search and its folds run in this thread; Ctrl-C stops them at their next step.
    RunControl control;
    control.setRunning(true);
    const InterruptWatch watch(control);
    holdContrastWhenAsked("discriminative search", control);
    auto rules = std::make_shared<ContrastRules>(
        searchContrastRules(m.learnPositive, m.learnNegative, search, &control));
    if (!rules->complete || interruptRequested()) return interrupted("discriminative search");
    contrastRules_ = rules;
    note("discriminative search ended: " + std::to_string(rules->rules.size()) + " rules");
    if (options_.crossValidateFolds) {
        settings.folds = *options_.crossValidateFolds;
        settings.seed = options_.crossValidateSeed;
        if (crossValidation_) settings = crossValidation_->settings;
        note("cross-validation of the discriminative score ...");
        const ContrastTuning tuning;
        holdContrastWhenAsked("discriminative cross-validation", control);
        auto result = std::make_shared<CrossValidationResult>(
            contrastCrossValidate(m.learnPositive, m.learnNegative, settings, &control, nullptr,
                                  options_.contrastTune ? &tuning : nullptr, &contrastChoices_));
        if (interruptRequested() || !control.isRunning())
            return interrupted("cross-validation of the discriminative score");
        if (!result->complete)
            return fail(
                kExitProcessFailed,
                "the cross-validation of the discriminative score cannot run: " +
                    crossValidationRefusal(settings, m.learnPositiveCount, m.learnNegativeCount));
        contrastValidation_ = result;
        note("cross-validation of the discriminative score ended");
    }
    return kExitSuccess;
}

nlohmann::ordered_json BatchRun::contrastJson() const {
    nlohmann::ordered_json j;
    const ContrastRules& c = *contrastRules_;
    j["score"] = "sum of -ln(1 - |r|) over the holding rules, + for positive, - for negative";
    // The tuned cross-validation's held-out scores are calibrated, fold by fold; the rules
    // found on every learning sequence give raw sums.
    j["calibrated"] = contrastCalibrated();
    j["ruleCount"] = c.rules.size();
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (size_t i = 0; i < c.rules.size() && i < kListedRules; ++i) {
        const ContrastRule& r = c.rules[i];
        list.push_back({{"rule", c.conditionsText(r)},
                        {"text", c.plainText(r)},
                        {"predicts", r.predictsPositive() ? "positive" : "negative"},
                        {"fisher", r.fisher},
                        {"cp", r.cp},
                        {"weight", r.weight()},
                        {"positives", r.positivesHolding},
                        {"negatives", r.negativesHolding}});
    }
    j["rules"] = std::move(list);
    if (contrastValidation_) {
        j["crossValidation"] = crossValidationJson(*contrastValidation_);
        nlohmann::ordered_json cps = nlohmann::ordered_json::array();
        nlohmann::ordered_json folds = nlohmann::ordered_json::array();
        for (size_t f = 0; f < contrastChoices_.size(); ++f) {
            const ContrastChoice& c = contrastChoices_[f];
            cps.push_back(c.cpThreshold);
            nlohmann::ordered_json fold{{"cp", c.cpThreshold}, {"subBuffer", c.subBufferSize}};
            if (options_.contrastTune) {
                fold["innerAuc"] = c.innerAuc;
                if (c.calibration.fitted)
                    fold["calibration"] = {{"slope", c.calibration.slope},
                                           {"intercept", c.calibration.intercept}};
            }
            if (contrastCalibrated()) {
                LabelledScores held;
                for (const HeldOutSequence& h : contrastValidation_->sequences) {
                    if (h.fold == static_cast<int32_t>(f))
                        (h.positive ? held.positives : held.negatives).push_back(h.score.bestScore);
                }
                const LevelErrors half = errorsAtLevel(held, 0.5);
                fold["atProbabilityHalf"] = {{"firstLevelErrors", half.first.count},
                                             {"secondLevelErrors", half.second.count}};
            }
            folds.push_back(std::move(fold));
        }
        j["crossValidation"]["cpPerFold"] = std::move(cps);
        j["crossValidation"]["cpChosenOnTrainingFolds"] = options_.contrastTune;
        j["crossValidation"]["settingsPerFold"] = std::move(folds);
        if (contrastCalibrated()) {
            const LevelErrors half = errorsAtLevel(contrastValidation_->pooled, 0.5);
            j["crossValidation"]["atProbabilityHalf"] = {{"firstLevelErrors", half.first.count},
                                                         {"secondLevelErrors", half.second.count}};
        }
    }
    return j;
}

std::string BatchRun::contrastText() const {
    const ContrastRules& c = *contrastRules_;
    size_t positive = 0;
    for (const ContrastRule& r : c.rules) positive += r.predictsPositive() ? 1 : 0;
    std::string text = "Discriminative rules: " + std::to_string(c.rules.size()) + " (" +
                       std::to_string(positive) + " predicting a positive)\n";
    for (size_t i = 0; i < c.rules.size() && i < kListedRules / 2; ++i) {
        text += "  " + c.plainText(c.rules[i]) + " (Fisher " + scientific(c.rules[i].fisher) +
                ", CP " + fixed(c.rules[i].cp, 4) + ")\n";
    }
    if (contrastValidation_) {
        text += "Discriminative score, held out";
        if (options_.contrastTune) text += " (" + contrastTuningText() + ")";
        text += ":\n";
        text += crossValidationText(*contrastValidation_);
        if (contrastCalibrated()) {
            const LevelErrors half = errorsAtLevel(contrastValidation_->pooled, 0.5);
            text += "At probability 0.50, fixed before any fold was seen: first level errors " +
                    std::to_string(half.first.count) + " of " + std::to_string(half.first.total) +
                    ", second level errors " + std::to_string(half.second.count) + " of " +
                    std::to_string(half.second.total) + "\n";
        }
    }
    return text;
}

ContrastReport BatchRun::contrastReport() const {
    ContrastReport report;
    if (!contrastRules_) return report;
    const ContrastRules& c = *contrastRules_;
    report.validation = contrastValidation_.get();
    report.ruleCount = static_cast<int32_t>(c.rules.size());
    for (const ContrastRule& r : c.rules) report.positiveRules += r.predictsPositive() ? 1 : 0;
    for (size_t i = 0; i < c.rules.size() && i < kListedRules; ++i)
        report.rules.push_back({c.rules[i].fisher, c.rules[i].cp, c.plainText(c.rules[i])});
    for (int32_t code = 0; code < c.letters.size(); ++code)
        report.letters += static_cast<char>(c.letters.letterOf(code));
    report.heat = contrastHeatMap(c);
    report.tuning = contrastTuningText();
    report.calibrated = contrastCalibrated();
    if (report.calibrated) report.atHalf = errorsAtLevel(contrastValidation_->pooled, 0.5);
    return report;
}

}  // namespace motifora
