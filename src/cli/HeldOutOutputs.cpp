// Tables, JSON and summary text of the held-out evaluation.
#include "cli/HeldOutOutputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/NumberFormat.h"

namespace motifora {

namespace {

std::string number(double value) {
    if (std::isnan(value)) return "NA";
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string fixed(double value, int decimals) { return printfFixed(value, decimals); }

// JSON has no infinity or not-a-number: those become null.
nlohmann::ordered_json jsonNumber(double value) {
    if (!std::isfinite(value)) return nullptr;
    return value;
}

std::string classText(int32_t c) { return c < 0 ? "New" : std::to_string(c + 1); }

nlohmann::ordered_json proportionJson(const Proportion& p) {
    return {
        {"count", p.count}, {"total", p.total}, {"rate", p.rate}, {"low", p.low}, {"high", p.high}};
}

nlohmann::ordered_json aucJson(const AucEstimate& auc) {
    if (!auc.defined) return nullptr;
    return {{"value", auc.auc},
            {"low", auc.low},
            {"high", auc.high},
            {"standardError", auc.standardError}};
}

std::string proportionText(const Proportion& p) {
    return std::to_string(p.count) + " of " + std::to_string(p.total) + " (" + fixed(p.rate, 4) +
           ", 95 % " + fixed(p.low, 4) + "-" + fixed(p.high, 4) + ")";
}

}  // namespace

std::string decisionAt(double score, const std::optional<double>& level) {
    if (!level) return {};
    return score > *level ? "accept" : "reject";
}

std::string scoresTsv(const std::vector<ScoreRow>& rows) {
    const bool contrast = std::any_of(rows.begin(), rows.end(),
                                      [](const ScoreRow& r) { return r.contrast.has_value(); });
    const bool contrastDecision = std::any_of(
        rows.begin(), rows.end(), [](const ScoreRow& r) { return !r.contrastDecision.empty(); });
    std::string text =
        "sample\tname\tclass\tbest class\tbest score\tnormalised score\tdecision\tfold";
    if (contrast) text += "\tdiscriminative score";
    if (contrastDecision) text += "\tdiscriminative decision";
    text += "\n";
    for (const ScoreRow& r : rows) {
        text += r.sample + "\t" + r.name + "\t" + classText(r.score.assignedClass) + "\t" +
                (r.score.bestClass < 0 ? "" : std::to_string(r.score.bestClass + 1)) + "\t" +
                number(r.score.bestScore) + "\t" + number(r.score.normalizedScore) + "\t" +
                r.decision + "\t" + (r.fold > 0 ? std::to_string(r.fold) : "");
        if (contrast) text += "\t" + (r.contrast ? number(*r.contrast) : std::string("NA"));
        if (contrastDecision) text += "\t" + r.contrastDecision;
        text += "\n";
    }
    return text;
}

nlohmann::ordered_json scoresJson(const std::vector<ScoreRow>& rows) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const ScoreRow& r : rows) {
        nlohmann::ordered_json row;
        row["sample"] = r.sample;
        row["name"] = r.name;
        row["class"] = r.score.assignedClass < 0
                           ? nlohmann::ordered_json(nullptr)
                           : nlohmann::ordered_json(r.score.assignedClass + 1);
        row["bestClass"] = r.score.bestClass < 0 ? nlohmann::ordered_json(nullptr)
                                                 : nlohmann::ordered_json(r.score.bestClass + 1);
        row["bestScore"] = jsonNumber(r.score.bestScore);
        row["normalizedScore"] = jsonNumber(r.score.normalizedScore);
        row["decision"] = r.decision.empty() ? nlohmann::ordered_json(nullptr)
                                             : nlohmann::ordered_json(r.decision);
        if (r.fold > 0) row["fold"] = r.fold;
        if (r.contrast) row["discriminativeScore"] = jsonNumber(*r.contrast);
        if (!r.contrastDecision.empty()) row["discriminativeDecision"] = r.contrastDecision;
        list.push_back(std::move(row));
    }
    return list;
}

nlohmann::ordered_json crossValidationJson(const CrossValidationResult& cv) {
    nlohmann::ordered_json j;
    const CrossValidationSettings& s = cv.settings;
    j["folds"] = s.folds;
    j["seed"] = s.seed;
    j["levelRule"] = s.levelRule == LevelRule::kBalancedAccuracy ? "balanced accuracy"
                                                                 : "wanted first-level error";
    j["wantedFirstError"] = s.wantedFirstError;
    // The settings every fold searched with (the search page's, as the run used them).
    j["search"] = {{"confidence", s.search.confidence},
                   {"cp", s.search.cpThreshold},
                   {"finishBufferSize", s.search.finishBufferSize},
                   {"subBufferSize", s.search.subBufferSize}};
    j["aucInterval"] = "DeLong 95 %";
    j["errorInterval"] = "Wilson 95 %";
    j["complete"] = cv.complete;
    if (!cv.complete) return j;
    nlohmann::ordered_json pooled;
    pooled["auc"] = aucJson(cv.auc);
    pooled["level"] = jsonNumber(cv.level);
    pooled["firstLevelErrors"] = proportionJson(cv.errors.first);
    pooled["secondLevelErrors"] = proportionJson(cv.errors.second);
    nlohmann::ordered_json roc = nlohmann::ordered_json::array();
    for (const RocPoint& p : cv.roc)
        roc.push_back({{"level", jsonNumber(p.level)},
                       {"falsePositiveRate", p.falsePositiveRate},
                       {"truePositiveRate", p.truePositiveRate}});
    pooled["roc"] = std::move(roc);
    j["pooled"] = std::move(pooled);
    nlohmann::ordered_json folds = nlohmann::ordered_json::array();
    for (const FoldSummary& f : cv.folds) {
        nlohmann::ordered_json fold;
        fold["fold"] = f.fold + 1;
        fold["positives"] = f.positives;
        fold["negatives"] = f.negatives;
        fold["rules"] = f.rules;
        fold["classes"] = f.classes;
        fold["auc"] = aucJson(f.auc);
        fold["level"] = jsonNumber(f.errors.level);
        fold["firstLevelErrors"] = proportionJson(f.errors.first);
        fold["secondLevelErrors"] = proportionJson(f.errors.second);
        LabelledScores scores;
        for (const HeldOutSequence& h : cv.sequences) {
            if (h.fold != f.fold) continue;
            (h.positive ? scores.positives : scores.negatives).push_back(h.score.bestScore);
        }
        nlohmann::ordered_json roc = nlohmann::ordered_json::array();
        for (const RocPoint& p : rocCurve(scores))
            roc.push_back({{"level", jsonNumber(p.level)},
                           {"falsePositiveRate", p.falsePositiveRate},
                           {"truePositiveRate", p.truePositiveRate}});
        fold["roc"] = std::move(roc);
        folds.push_back(std::move(fold));
    }
    j["perFold"] = std::move(folds);
    return j;
}

std::string crossValidationText(const CrossValidationResult& cv) {
    const CrossValidationSettings& s = cv.settings;
    std::string text =
        "Cross-validation: " + std::to_string(s.folds) + " folds, seed " + std::to_string(s.seed);
    if (!cv.complete) return text + ", stopped before the end\n";
    text += "\nHeld-out AUC: " + fixed(cv.auc.auc, 4) + " (95 % DeLong interval " +
            fixed(cv.auc.low, 4) + "-" + fixed(cv.auc.high, 4) + ")\n";
    text += "Held-out level: " + fixed(cv.level, 2) + " (" +
            (s.levelRule == LevelRule::kBalancedAccuracy
                 ? std::string("best balanced accuracy")
                 : "wanted first-level error " + fixed(s.wantedFirstError, 4)) +
            ")\n";
    text += "Held-out first level errors: " + proportionText(cv.errors.first) + "\n";
    text += "Held-out second level errors: " + proportionText(cv.errors.second) + "\n";
    for (const FoldSummary& f : cv.folds) {
        text += "Fold " + std::to_string(f.fold + 1) + ": AUC " + fixed(f.auc.auc, 4) +
                ", first level errors " + std::to_string(f.errors.first.count) + " of " +
                std::to_string(f.errors.first.total) + ", second level errors " +
                std::to_string(f.errors.second.count) + " of " +
                std::to_string(f.errors.second.total) + " (" + std::to_string(f.rules) +
                " rules, " + std::to_string(f.classes) + " classes)\n";
    }
    return text;
}

}  // namespace motifora
