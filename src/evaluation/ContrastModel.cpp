// The features of the fitted discriminative score and their logistic regression (liblinear).
#include "evaluation/ContrastModel.h"

#include <linear.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace motifora {

namespace {

// liblinear writes its progress to standard output unless told otherwise.
void silent(const char*) {}

void quietLiblinear() {
    static std::once_flag once;
    std::call_once(once, [] { set_print_string_function(&silent); });
}

}  // namespace

std::vector<int32_t> contrastFeatures(const ContrastRules& rules, bool letters,
                                      const SEQSElem& object) {
    std::vector<int32_t> active;
    const int32_t alphabet = rules.letters.size();
    const auto ruleCount = static_cast<int32_t>(rules.rules.size());
    for (int32_t i = 0; i < ruleCount; ++i)
        if (contrastRuleHolds(rules.rules[static_cast<size_t>(i)], object, alphabet, rules.shape,
                              rules.width))
            active.push_back(i);
    if (letters) {
        const int32_t covered = std::min(rules.width, object.positionCount());
        for (int32_t p = 0; p < covered; ++p) {
            const int32_t code = object.codeAt(p);
            if (code >= 0 && code < alphabet) active.push_back(ruleCount + p * alphabet + code);
        }
    }
    return active;
}

int32_t contrastFeatureCount(const ContrastRules& rules, bool letters) {
    return static_cast<int32_t>(rules.rules.size()) +
           (letters ? std::max(rules.width, 0) * rules.letters.size() : 0);
}

SEQSElem contrastObject(const ContrastRules& rules, const Sequence& record) {
    const int32_t alphabet = rules.letters.size();
    SEQSElem object;
    object.allocate(std::max(rules.width, 0), alphabet);
    for (int32_t j = 0; j < record.length && static_cast<size_t>(j) < record.text.size(); ++j) {
        const int64_t p = int64_t{record.startPosition} - 1 + j;
        if (p < 0 || p >= rules.width) continue;
        object.setCode(rules.letters.codeOf(static_cast<unsigned char>(record.text[j])),
                       static_cast<int32_t>(p));
    }
    return object;
}

double logistic(double z) {
    return z >= 0.0 ? 1.0 / (1.0 + std::exp(-z)) : std::exp(z) / (1.0 + std::exp(z));
}

bool ContrastModel::featureWeight(int64_t f, double& weight) const {
    if (f < 0) return false;
    const auto ruleCount = static_cast<int64_t>(ruleWeights.size());
    if (f < ruleCount) {
        weight = ruleWeights[static_cast<size_t>(f)];
        return true;
    }
    if (static_cast<size_t>(f - ruleCount) < letterWeights.size()) {
        weight = letterWeights[static_cast<size_t>(f - ruleCount)];
        return true;
    }
    return false;
}

double ContrastModel::logOddsOf(const std::vector<int32_t>& active) const {
    if (!fitted) return 0.0;
    double z = intercept;
    double weight = 0.0;
    for (int32_t f : active)
        if (featureWeight(f, weight)) z += weight;
    return z;
}

double ContrastModel::logOdds(const ContrastRules& rules, const SEQSElem& object) const {
    return logOddsOf(contrastFeatures(rules, letters, object));
}

double ContrastModel::logOdds(const ContrastRules& rules, const Sequence& record) const {
    return logOdds(rules, contrastObject(rules, record));
}

double ContrastModel::probability(const ContrastRules& rules, const Sequence& record) const {
    return logistic(logOdds(rules, record));
}

ContrastDesign contrastDesign(const ContrastRules& rules, bool letters,
                              const std::vector<Sequence>& positives,
                              const std::vector<Sequence>& negatives) {
    ContrastDesign design;
    design.featureCount = contrastFeatureCount(rules, letters);
    for (const Sequence& s : positives)
        design.positives.push_back(contrastFeatures(rules, letters, contrastObject(rules, s)));
    for (const Sequence& s : negatives)
        design.negatives.push_back(contrastFeatures(rules, letters, contrastObject(rules, s)));
    return design;
}

ContrastModel fitContrastModel(const ContrastRules& rules, bool letters,
                               const ContrastDesign& design, double c, double ruleScale,
                               double tolerance) {
    ContrastModel model;
    model.letters = letters;
    model.regularisation = c;
    model.ruleScale = std::max(ruleScale, 0.0);
    model.alphabet = rules.letters.size();
    if (design.positives.empty() || design.negatives.empty() || !(c > 0.0)) return model;
    quietLiblinear();

    // Rows in liblinear's sparse form: 1-based indexes, value 1, the constant feature last
    // (index featureCount + 1), each row ended by index -1. The positives come first, so the
    // first label liblinear meets is +1 and its weights point towards "positive".
    const int32_t biasIndex = design.featureCount + 1;
    const auto ruleCount = static_cast<int32_t>(rules.rules.size());
    std::vector<std::vector<feature_node>> rows;
    std::vector<double> labels;
    auto add = [&](const std::vector<int32_t>& active, double label) {
        std::vector<feature_node> row;
        row.reserve(active.size() + 2);
        for (int32_t f : active) {
            if (f >= ruleCount)
                row.push_back({f + 1, 1.0});
            else if (model.ruleScale > 0.0)
                row.push_back({f + 1, model.ruleScale});
        }
        row.push_back({biasIndex, 1.0});
        row.push_back({-1, 0.0});
        rows.push_back(std::move(row));
        labels.push_back(label);
    };
    for (const auto& active : design.positives) add(active, 1.0);
    for (const auto& active : design.negatives) add(active, -1.0);
    std::vector<feature_node*> x;
    x.reserve(rows.size());
    for (auto& row : rows) x.push_back(row.data());

    problem prob{};
    prob.l = static_cast<int>(rows.size());
    prob.n = biasIndex;
    prob.y = labels.data();
    prob.x = x.data();
    prob.bias = -1.0;  // the constant feature is in the rows already
    parameter param{};
    param.solver_type = L2R_LR;
    param.eps = tolerance;
    param.C = c;
    param.nr_weight = 0;
    param.weight_label = nullptr;
    param.weight = nullptr;
    param.p = 0.1;
    param.init_sol = nullptr;
    if (check_parameter(&prob, &param) != nullptr) return model;
    struct model* fit = train(&prob, &param);
    if (fit == nullptr) return model;
    // Two classes: w[f] is the weight of feature f + 1, towards the first label.
    const double sign = fit->label[0] == 1 ? 1.0 : -1.0;
    model.ruleWeights.resize(static_cast<size_t>(ruleCount));
    for (int32_t f = 0; f < ruleCount; ++f)
        model.ruleWeights[static_cast<size_t>(f)] = sign * fit->w[f] * model.ruleScale;
    if (letters) {
        model.letterWeights.resize(static_cast<size_t>(design.featureCount - ruleCount));
        for (int32_t f = ruleCount; f < design.featureCount; ++f)
            model.letterWeights[static_cast<size_t>(f - ruleCount)] = sign * fit->w[f];
    }
    model.intercept = sign * fit->w[design.featureCount];
    free_and_destroy_model(&fit);
    model.fitted = std::isfinite(model.intercept);
    return model;
}

double meanLogLoss(const std::vector<double>& positiveProbabilities,
                   const std::vector<double>& negativeProbabilities) {
    const size_t count = positiveProbabilities.size() + negativeProbabilities.size();
    if (count == 0) return std::numeric_limits<double>::quiet_NaN();
    auto clip = [](double p) { return std::clamp(p, 1e-12, 1.0 - 1e-12); };
    double loss = 0.0;
    for (double p : positiveProbabilities) loss -= std::log(clip(p));
    for (double p : negativeProbabilities) loss -= std::log(1.0 - clip(p));
    return loss / static_cast<double>(count);
}

}  // namespace motifora
