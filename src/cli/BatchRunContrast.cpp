// --contrast: the discriminative search on the learning samples, the cross-validation of its
// score on the folds of --cross-validate, and what the outputs show of them.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "cli/BatchRun.h"
#include "cli/ExitCode.h"
#include "cli/Interrupt.h"
#include "core/NumberFormat.h"
#include "evaluation/ContrastScore.h"
#include "evaluation/Pipeline.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr size_t kListedRules = 20;  // rules in the report, the JSON and the summary (10)

std::string fixed(double value, int decimals) { return printfFixed(value, decimals); }
std::string scientific(double value) { return printfScientific(value, 3); }

nlohmann::ordered_json errorsJson(const LevelErrors& e) {
    auto proportion = [](const Proportion& p) {
        return nlohmann::ordered_json{{"count", p.count},
                                      {"total", p.total},
                                      {"rate", p.rate},
                                      {"low", p.low},
                                      {"high", p.high}};
    };
    return {{"firstLevelErrors", proportion(e.first)}, {"secondLevelErrors", proportion(e.second)}};
}

// JSON has no not-a-number: null.
nlohmann::ordered_json finite(double value) {
    if (!std::isfinite(value)) return nullptr;
    return value;
}

// Test hook, as for the window's processes: when the environment's MOTIFORA_TEST_HOLD names
// `what`, its work is held at its first gate until it is stopped, so that a test can interrupt
// it however fast the machine is.
void holdContrastWhenAsked(const char* what, RunControl& control) {
    const char* asked = std::getenv("MOTIFORA_TEST_HOLD");
    if (asked != nullptr && std::string(asked) == what) control.hold();
}

}  // namespace

bool BatchRun::contrastCalibrated() const {
    return contrastValidation_ &&
           contrastChoicesCalibrated(contrastChoices_, options_.contrastTune, contrastFitted());
}

bool BatchRun::contrastFitted() const { return options_.contrastWeights != "sum"; }

ContrastShape BatchRun::contrastShape() const {
    ContrastShape shape;
    shape.wordLength = options_.contrastWordLength;
    if (!options_.contrastTolerances.empty()) shape.tolerance = options_.contrastTolerances[0];
    return shape;
}

bool BatchRun::contrastShapeGiven() const {
    return !options_.contrastTolerances.empty() || options_.contrastWordLength != 1;
}

std::string BatchRun::contrastTuningText() const {
    if (!contrastValidation_) return {};
    return contrastChoicesText(contrastChoices_, options_.contrastTune, contrastFitted());
}

std::optional<ContrastTuning> BatchRun::contrastTuning() const {
    if (!options_.contrastTune && !contrastFitted()) return std::nullopt;
    ContrastTuning tuning;
    tuning.fit = contrastFitted();
    tuning.letters = options_.contrastWeights == "fitted";
    // Rule scale 0 is the letters alone: the choice can fall back on a position weight matrix.
    if (tuning.letters) tuning.ruleScaleCandidates = {0.0, 0.3, 1.0};
    if (options_.contrastTolerances.size() > 1)
        tuning.toleranceCandidates = options_.contrastTolerances;
    if (!options_.contrastTune) {
        // The given settings, only the regularisation chosen.
        tuning.cpCandidates.clear();
        tuning.subBufferCandidates.clear();
    }
    return tuning;
}

double BatchRun::contrastDecisionLevel(const ContrastChoice& choice) const {
    // A choice no candidate could be judged for leaves raw sums: no probability level.
    if (std::isnan(choice.innerAuc)) return std::numeric_limits<double>::quiet_NaN();
    return options_.balanced ? 0.5 : choice.innerLevel;
}

std::optional<double> BatchRun::contrastControlLevel() const {
    if (!contrastScorer_ || !contrastScorer_->probabilities() || !contrastFinalChoice_)
        return std::nullopt;
    const double level = contrastDecisionLevel(*contrastFinalChoice_);
    if (std::isnan(level)) return std::nullopt;
    return level;
}

LevelErrors BatchRun::contrastInnerLevelErrors() const {
    LevelErrors sum;
    sum.level = std::numeric_limits<double>::quiet_NaN();
    if (!contrastValidation_) return sum;
    int32_t missed = 0, positives = 0, accepted = 0, negatives = 0;
    for (const HeldOutSequence& h : contrastValidation_->sequences) {
        const double level = contrastChoices_[static_cast<size_t>(h.fold)].innerLevel;
        const bool accept = h.score.bestScore > level;
        if (h.positive) {
            ++positives;
            missed += accept ? 0 : 1;
        } else {
            ++negatives;
            accepted += accept ? 1 : 0;
        }
    }
    sum.first = wilsonProportion(missed, positives);
    sum.second = wilsonProportion(accepted, negatives);
    return sum;
}

int BatchRun::runContrast() {
    if (!options_.contrast) return kExitSuccess;
    TMainManager& m = manager();
    if (m.learnNegative().empty() || m.learnPositive().empty())
        return fail(kExitProcessFailed,
                    "the discriminative search needs learning positive and learning negative "
                    "samples");
    CrossValidationSettings settings = m.crossValidationDefaults();
    if (const std::string refused = typedSearchSettings(settings); !refused.empty())
        return fail(kExitProcessFailed, "the discriminative search cannot run: " + refused);
    const ContrastShape shape = contrastShape();
    SEQStorage coded;
    coded.buildWholeWithNegatives(m.learnPositive().data(), m.learnNegative().data(),
                                  static_cast<int32_t>(m.learnPositive().size()),
                                  static_cast<int32_t>(m.learnNegative().size()));
    const int32_t alphabet = coded.alphabetSize;
    if (!contrastShapeFits(shape, alphabet))
        return fail(kExitProcessFailed, "the discriminative search cannot run: words of " +
                                            std::to_string(shape.wordLength) + " letters of the " +
                                            std::to_string(alphabet) +
                                            " letters of the learning samples have more "
                                            "than " +
                                            std::to_string(kContrastMaxWordCodes) + " spellings");
    settings.contrastShape = shape;
    LearningSettings learning = learningSettingsOf(settings);
    learning.score = ScoreKind::kDiscriminative;
    const std::optional<ContrastTuning> tuning = contrastTuning();
    // The search and its folds run in this thread; Ctrl-C stops them at their next step.
    RunControl control;
    control.setRunning(true);
    const InterruptWatch watch(control);
    holdContrastWhenAsked("discriminative search", control);
    if (!tuning) {
        note("discriminative search ...");
        LearnedModel model = learnModel(m.learnPositive(), m.learnNegative(), learning, {&control});
        auto rules = std::make_shared<ContrastRules>(std::move(model.contrast.rules));
        if (!rules->complete || interruptRequested()) return interrupted("discriminative search");
        contrastRules_ = rules;
    } else {
        // The rules of the control data: settings (and weights) chosen by an inner
        // cross-validation of every learning sequence, as each fold chooses on its own.
        if (options_.crossValidateFolds) {
            settings.folds = *options_.crossValidateFolds;
            settings.seed = options_.crossValidateSeed;
        }
        if (options_.balanced) settings.levelRule = LevelRule::kBalancedAccuracy;
        if (crossValidation_) settings = crossValidation_->settings;
        settings.contrastShape = shape;
        note("discriminative search, settings chosen by an inner cross-validation ...");
        contrastFinalChoice_ = chooseContrastSettings(m.learnPositive(), m.learnNegative(),
                                                      settings, *tuning, &control);
        learning = learningSettingsOf(settings);
        learning.score = ScoreKind::kDiscriminative;
        learning.tuning = &*tuning;
        LearnedModel model = learnModel(m.learnPositive(), m.learnNegative(), learning, {&control},
                                        &*contrastFinalChoice_);
        auto scorer = std::make_shared<ContrastScorer>(std::move(model.contrast));
        if (!scorer->rules.complete || interruptRequested() || !control.isRunning())
            return interrupted("discriminative search");
        contrastScorer_ = scorer;
        contrastRules_ = std::shared_ptr<const ContrastRules>(scorer, &scorer->rules);
    }
    note("discriminative search ended: " + std::to_string(contrastRules_->rules.size()) + " rules");
    if (options_.crossValidateFolds) {
        settings.folds = *options_.crossValidateFolds;
        settings.seed = options_.crossValidateSeed;
        if (crossValidation_) settings = crossValidation_->settings;
        settings.contrastShape = shape;
        note("cross-validation of the discriminative score ...");
        holdContrastWhenAsked("discriminative cross-validation", control);
        auto result = std::make_shared<CrossValidationResult>(
            contrastCrossValidate(m.learnPositive(), m.learnNegative(), settings, &control, nullptr,
                                  tuning ? &*tuning : nullptr, &contrastChoices_));
        if (interruptRequested() || !control.isRunning())
            return interrupted("cross-validation of the discriminative score");
        if (!result->complete)
            return fail(kExitProcessFailed,
                        "the cross-validation of the discriminative score cannot run: " +
                            crossValidationRefusal(settings, m.learnPositiveCount(),
                                                   m.learnNegativeCount()));
        contrastValidation_ = result;
        note("cross-validation of the discriminative score ended");
    }
    return kExitSuccess;
}

nlohmann::ordered_json BatchRun::contrastJson() const {
    nlohmann::ordered_json j;
    const ContrastRules& c = *contrastRules_;
    const ContrastModel* model =
        contrastScorer_ && contrastScorer_->model.fitted ? &contrastScorer_->model : nullptr;
    j["score"] =
        model != nullptr
            ? "log-odds of positive: intercept plus the fitted weights of the holding "
              "rules" +
                  std::string(model->letters ? " and of the letters at their positions" : "") +
                  " (L2-regularised logistic regression)"
            : "sum of -ln(1 - |r|) over the holding rules, + for positive, - for negative";
    // The tuned cross-validation's held-out scores are calibrated, fold by fold; the rules
    // found on every learning sequence give raw sums.
    j["calibrated"] = contrastCalibrated();
    if (contrastShapeGiven())
        j["conditions"] = {{"wordLength", c.shape.wordLength}, {"tolerance", c.shape.tolerance}};
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
        if (model != nullptr && i < model->ruleWeights.size())
            list.back()["fittedWeight"] = model->ruleWeights[i];
    }
    j["rules"] = std::move(list);
    if (contrastFinalChoice_) {
        const ContrastChoice& f = *contrastFinalChoice_;
        nlohmann::ordered_json chosen{{"cp", f.cpThreshold},
                                      {"subBuffer", f.subBufferSize},
                                      {"innerAuc", finite(f.innerAuc)},
                                      {"innerLevel", finite(f.innerLevel)}};
        if (f.toleranceChosen) chosen["tolerance"] = f.tolerance;
        if (model != nullptr) {
            chosen["regularisation"] = model->regularisation;
            chosen["ruleScale"] = model->ruleScale;
            chosen["innerLogLoss"] = finite(f.innerLogLoss);
        } else if (f.calibration.fitted) {
            chosen["calibration"] = {{"slope", f.calibration.slope},
                                     {"intercept", f.calibration.intercept}};
        }
        j["chosenOnAllLearningSequences"] = std::move(chosen);
        if (const std::optional<double> level = contrastControlLevel())
            j["controlDecisionLevel"] = *level;
    }
    if (model != nullptr) {
        nlohmann::ordered_json fitted{{"intercept", model->intercept},
                                      {"regularisation", model->regularisation},
                                      {"ruleScale", model->ruleScale},
                                      {"letters", model->letters}};
        if (model->letters) {
            // [position][letter], the letters in the order of "alphabet".
            std::string alphabet;
            for (int32_t code = 0; code < c.letters.size(); ++code)
                alphabet += static_cast<char>(c.letters.letterOf(code));
            fitted["alphabet"] = alphabet;
            nlohmann::ordered_json rows = nlohmann::ordered_json::array();
            const auto a = static_cast<size_t>(std::max(model->alphabet, 1));
            for (size_t p = 0; p * a < model->letterWeights.size(); ++p)
                rows.push_back(std::vector<double>(
                    model->letterWeights.begin() + static_cast<std::ptrdiff_t>(p * a),
                    model->letterWeights.begin() + static_cast<std::ptrdiff_t>((p + 1) * a)));
            fitted["letterWeights"] = std::move(rows);
        }
        j["fittedModel"] = std::move(fitted);
    }
    if (contrastValidation_) {
        j["crossValidation"] = crossValidationJson(*contrastValidation_);
        nlohmann::ordered_json cps = nlohmann::ordered_json::array();
        nlohmann::ordered_json folds = nlohmann::ordered_json::array();
        for (size_t f = 0; f < contrastChoices_.size(); ++f) {
            const ContrastChoice& c = contrastChoices_[f];
            cps.push_back(c.cpThreshold);
            nlohmann::ordered_json fold{{"cp", c.cpThreshold}, {"subBuffer", c.subBufferSize}};
            if (c.toleranceChosen) fold["tolerance"] = c.tolerance;
            if (contrastFitted()) {
                fold["regularisation"] = finite(c.regularisation);
                fold["ruleScale"] = c.ruleScale;
                fold["innerLogLoss"] = finite(c.innerLogLoss);
            }
            if (options_.contrastTune || contrastFitted()) {
                fold["innerAuc"] = c.innerAuc;
                fold["innerLevel"] = finite(c.innerLevel);
                fold["decisionLevel"] = finite(contrastDecisionLevel(c));
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
        if (options_.contrastTune || contrastFitted()) {
            // The pooled level is chosen on the pooled held-out scores themselves; these levels
            // were chosen by each fold on its own training sequences.
            j["crossValidation"]["atLevelsChosenInsideFolds"] =
                errorsJson(contrastInnerLevelErrors());
        }
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
    if (contrastShapeGiven())
        text +=
            "Conditions on " +
            (c.shape.wordLength > 1 ? "words of " + std::to_string(c.shape.wordLength) + " letters"
                                    : std::string("single letters")) +
            ", tolerance " + std::to_string(c.shape.tolerance) +
            (contrastFinalChoice_ && contrastFinalChoice_->toleranceChosen
                 ? " (chosen by an inner cross-validation of every learning sequence)"
                 : "") +
            "\n";
    const ContrastModel* model =
        contrastScorer_ && contrastScorer_->model.fitted ? &contrastScorer_->model : nullptr;
    for (size_t i = 0; i < c.rules.size() && i < kListedRules / 2; ++i) {
        text += "  " + c.plainText(c.rules[i]) + " (Fisher " + scientific(c.rules[i].fisher) +
                ", CP " + fixed(c.rules[i].cp, 4);
        if (model != nullptr && i < model->ruleWeights.size())
            text += ", weight " + fixed(model->ruleWeights[i], 3);
        text += ")\n";
    }
    if (model != nullptr)
        text += "Score: log-odds of a positive = " + fixed(model->intercept, 3) +
                " + the weights of the holding rules" +
                (model->letters ? std::string(" and of the letters at their positions") : "") +
                " (regularisation C = " + printfGeneral(model->regularisation) + ", rule scale " +
                printfGeneral(model->ruleScale) + ")\n";
    if (contrastValidation_) {
        text += "Discriminative score, held out";
        if (options_.contrastTune || contrastFitted()) text += " (" + contrastTuningText() + ")";
        text += ":\n";
        text += crossValidationText(*contrastValidation_);
        if (contrastCalibrated()) {
            const LevelErrors half = errorsAtLevel(contrastValidation_->pooled, 0.5);
            text += "At probability 0.50, fixed before any fold was seen: first level errors " +
                    std::to_string(half.first.count) + " of " + std::to_string(half.first.total) +
                    ", second level errors " + std::to_string(half.second.count) + " of " +
                    std::to_string(half.second.total) + "\n";
        }
        if (options_.contrastTune || contrastFitted()) {
            const LevelErrors inner = contrastInnerLevelErrors();
            text +=
                "At the level each fold chose on its own training sequences (inner "
                "cross-validation; the held-out level above is chosen on the held-out scores "
                "themselves):";
            for (const ContrastChoice& ch : contrastChoices_) text += " " + fixed(ch.innerLevel, 2);
            text += "; first level errors " + std::to_string(inner.first.count) + " of " +
                    std::to_string(inner.first.total) + ", second level errors " +
                    std::to_string(inner.second.count) + " of " +
                    std::to_string(inner.second.total) + "\n";
        }
    }
    return text;
}

ContrastReport BatchRun::contrastReport() const {
    if (!contrastRules_) return {};
    return contrastReportOf(contrastRules_.get(), kListedRules, contrastValidation_.get(),
                            contrastChoices_, options_.contrastTune, contrastFitted());
}

}  // namespace motifora
