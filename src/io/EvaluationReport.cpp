// The evaluation report's HTML and its inline SVG plots.
#include "io/EvaluationReport.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "core/NumberFormat.h"
#include "io/HtmlReports.h"
#include "io/SafeFile.h"

namespace motifora {

namespace {

std::string fixed(double value, int decimals) {
    if (std::isnan(value)) return "n/a";
    if (std::isinf(value)) return value > 0 ? "+&infin;" : "&minus;&infin;";
    return printfFixed(value, decimals);
}

std::string scientific(double value) { return printfScientific(value, 3); }

// A coordinate for SVG attributes.
std::string px(double value) { return printfFixed(value, 2); }

std::string proportion(const Proportion& p) {
    return std::to_string(p.count) + " of " + std::to_string(p.total) + " (" + fixed(p.rate, 3) +
           "; 95 % " + fixed(p.low, 3) + "&ndash;" + fixed(p.high, 3) + ")";
}

std::string aucText(const AucEstimate& auc) {
    if (!auc.defined) return "n/a";
    return fixed(auc.auc, 3) + " (" + fixed(auc.low, 3) + "&ndash;" + fixed(auc.high, 3) + ")";
}

constexpr const char* kPositiveColour = "#1f77b4";
constexpr const char* kNegativeColour = "#d95f02";

// A square plot area with axes from 0 to 1, ticks every 0.2 and axis titles.
struct UnitPlot {
    double size = 300, left = 48, top = 12;
    double x(double v) const { return left + v * size; }
    double y(double v) const { return top + (1 - v) * size; }
    std::string frame(const std::string& xTitle, const std::string& yTitle) const {
        std::ostringstream s;
        s << "<rect x=\"" << px(left) << "\" y=\"" << px(top) << "\" width=\"" << px(size)
          << "\" height=\"" << px(size) << "\" fill=\"none\" stroke=\"#444\"/>\n";
        for (int i = 0; i <= 5; ++i) {
            const double v = i / 5.0;
            s << "<line x1=\"" << px(x(v)) << "\" y1=\"" << px(top + size) << "\" x2=\"" << px(x(v))
              << "\" y2=\"" << px(top + size + 4) << "\" stroke=\"#444\"/>"
              << "<text x=\"" << px(x(v)) << "\" y=\"" << px(top + size + 16)
              << "\" text-anchor=\"middle\">" << fixed(v, 1) << "</text>\n";
            s << "<line x1=\"" << px(left - 4) << "\" y1=\"" << px(y(v)) << "\" x2=\"" << px(left)
              << "\" y2=\"" << px(y(v)) << "\" stroke=\"#444\"/>"
              << "<text x=\"" << px(left - 7) << "\" y=\"" << px(y(v) + 4)
              << "\" text-anchor=\"end\">" << fixed(v, 1) << "</text>\n";
        }
        s << "<text x=\"" << px(left + size / 2) << "\" y=\"" << px(top + size + 34)
          << "\" text-anchor=\"middle\">" << xTitle << "</text>\n";
        s << "<text transform=\"translate(12," << px(top + size / 2)
          << ") rotate(-90)\" text-anchor=\"middle\">" << yTitle << "</text>\n";
        return s.str();
    }
    // A grey dashed guide line from (x0, y0) to (x1, y1), in unit coordinates.
    std::string guide(double x0, double y0, double x1, double y1) const {
        return "<line x1=\"" + px(x(x0)) + "\" y1=\"" + px(y(y0)) + "\" x2=\"" + px(x(x1)) +
               "\" y2=\"" + px(y(y1)) + "\" stroke=\"#aaa\" stroke-dasharray=\"4 4\"/>\n";
    }
    // The curve through `points`, each placed at (`along(p)`, `up(p)`) in unit coordinates.
    template <typename Point, typename Along, typename Up>
    std::string curve(const std::vector<Point>& points, Along along, Up up) const {
        std::string text = "<polyline fill=\"none\" stroke=\"" + std::string(kPositiveColour) +
                           "\" stroke-width=\"2\" points=\"";
        for (const Point& p : points) text += px(x(along(p))) + "," + px(y(up(p))) + " ";
        return text + "\"/>\n";
    }
};

std::string svgOpen(double width, double height, const std::string& label) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
           px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) +
           "\" role=\"img\" aria-label=\"" + label + "\">\n";
}

std::string rocSvg(const CrossValidationResult& cv) {
    UnitPlot plot;
    std::ostringstream s;
    s << svgOpen(370, 360, "ROC curve");
    s << plot.frame("false positive rate (second-level error)", "true positive rate");
    s << plot.guide(0, 0, 1, 1);
    s << plot.curve(
        cv.roc, [](const RocPoint& p) { return p.falsePositiveRate; },
        [](const RocPoint& p) { return p.truePositiveRate; });
    const double fpr = cv.errors.second.rate;
    const double tpr = 1 - cv.errors.first.rate;
    s << "<circle cx=\"" << px(plot.x(fpr)) << "\" cy=\"" << px(plot.y(tpr)) << "\" r=\"5\" fill=\""
      << kNegativeColour << "\"><title>level " << fixed(cv.level, 2) << "</title></circle>\n";
    s << "<text x=\"" << px(plot.x(0.35)) << "\" y=\"" << px(plot.y(0.1)) << "\">AUC "
      << aucText(cv.auc) << "</text>\n";
    // The label stays inside the plot: left of the point when the point is far right.
    const bool left = fpr > 0.6;
    s << "<text x=\"" << px(plot.x(fpr) + (left ? -8 : 8)) << "\" y=\"" << px(plot.y(tpr) + 16)
      << "\" text-anchor=\"" << (left ? "end" : "start") << "\">level " << fixed(cv.level, 2)
      << "</text>\n";
    s << "</svg>\n";
    return s.str();
}

std::string prSvg(const CrossValidationResult& cv) {
    UnitPlot plot;
    std::ostringstream s;
    s << svgOpen(370, 360, "Precision-recall curve");
    s << plot.frame("recall", "precision");
    const double base =
        cv.pooled.positives.empty()
            ? 0.0
            : static_cast<double>(cv.pooled.positives.size()) /
                  static_cast<double>(cv.pooled.positives.size() + cv.pooled.negatives.size());
    s << plot.guide(0, base, 1, base);
    s << plot.curve(
        cv.precisionRecall, [](const PrPoint& p) { return p.recall; },
        [](const PrPoint& p) { return p.precision; });
    s << "</svg>\n";
    return s.str();
}

std::string histogramSvg(const CrossValidationResult& cv) {
    const ScoreHistogram& h = cv.histogram;
    const double left = 48, top = 12, width = 560, height = 220;
    const size_t bins = h.positives.size();
    int32_t highest = 1;
    for (size_t b = 0; b < bins; ++b) highest = std::max({highest, h.positives[b], h.negatives[b]});
    const double span = h.binWidth * static_cast<double>(bins);
    std::ostringstream s;
    s << svgOpen(left + width + 20, top + height + 50, "Score histograms");
    s << "<rect x=\"" << px(left) << "\" y=\"" << px(top) << "\" width=\"" << px(width)
      << "\" height=\"" << px(height) << "\" fill=\"none\" stroke=\"#444\"/>\n";
    const double barWidth = bins > 0 ? width / static_cast<double>(bins) : width;
    for (size_t b = 0; b < bins; ++b) {
        const double x = left + barWidth * static_cast<double>(b);
        const double hp = height * h.positives[b] / highest;
        const double hn = height * h.negatives[b] / highest;
        s << "<rect x=\"" << px(x + 1) << "\" y=\"" << px(top + height - hn) << "\" width=\""
          << px(barWidth / 2 - 1) << "\" height=\"" << px(hn) << "\" fill=\"" << kNegativeColour
          << "\"><title>negatives: " << h.negatives[b] << "</title></rect>\n";
        s << "<rect x=\"" << px(x + barWidth / 2) << "\" y=\"" << px(top + height - hp)
          << "\" width=\"" << px(barWidth / 2 - 1) << "\" height=\"" << px(hp) << "\" fill=\""
          << kPositiveColour << "\"><title>positives: " << h.positives[b] << "</title></rect>\n";
    }
    for (int i = 0; i <= 4; ++i) {
        const double x = left + width * i / 4.0;
        s << "<text x=\"" << px(x) << "\" y=\"" << px(top + height + 16)
          << "\" text-anchor=\"middle\">" << fixed(h.low + span * i / 4.0, 1) << "</text>\n";
    }
    s << "<text x=\"" << px(left - 6) << "\" y=\"" << px(top + 10) << "\" text-anchor=\"end\">"
      << highest << "</text><text x=\"" << px(left - 6) << "\" y=\"" << px(top + height)
      << "\" text-anchor=\"end\">0</text>\n";
    if (span > 0 && std::isfinite(cv.level)) {
        const double x = left + width * std::clamp((cv.level - h.low) / span, 0.0, 1.0);
        s << "<line x1=\"" << px(x) << "\" y1=\"" << px(top) << "\" x2=\"" << px(x) << "\" y2=\""
          << px(top + height) << "\" stroke=\"#000\" stroke-width=\"2\"/>"
          << "<text x=\"" << px(x + 4) << "\" y=\"" << px(top + 14) << "\">level "
          << fixed(cv.level, 2) << "</text>\n";
    }
    s << "<text x=\"" << px(left + width / 2) << "\" y=\"" << px(top + height + 36)
      << "\" text-anchor=\"middle\">best held-out score over all classes</text>\n";
    s << "</svg>\n";
    return s.str();
}

const char* letterColour(char letter) {
    switch (letter) {
        case 'A':
        case 'a':
            return "#2ca02c";
        case 'C':
        case 'c':
            return "#1f77b4";
        case 'G':
        case 'g':
            return "#ff8c00";
        case 'T':
        case 't':
        case 'U':
        case 'u':
            return "#d62728";
        default:
            return "#555";
    }
}

std::string logoSvg(const ClassLogo& logo) {
    const double column = 16, height = 90, left = 30, top = 8;
    const double maxBits =
        logo.letters.size() > 1 ? std::log2(static_cast<double>(logo.letters.size())) : 1.0;
    const double width = column * static_cast<double>(logo.freq.size());
    std::ostringstream s;
    s << svgOpen(left + width + 10, top + height + 24,
                 "Sequence logo of class " + std::to_string(logo.classNumber));
    s << "<line x1=\"" << px(left - 2) << "\" y1=\"" << px(top) << "\" x2=\"" << px(left - 2)
      << "\" y2=\"" << px(top + height) << "\" stroke=\"#444\"/>"
      << "<text x=\"" << px(left - 5) << "\" y=\"" << px(top + 8) << "\" text-anchor=\"end\">"
      << fixed(maxBits, 0) << "</text><text x=\"" << px(left - 5) << "\" y=\"" << px(top + height)
      << "\" text-anchor=\"end\">0</text>\n";
    // A capital of a bold sans-serif face is about 0.72 of its size tall.
    constexpr double kFontSize = 20, kCapHeight = 0.72 * kFontSize;
    for (size_t p = 0; p < logo.freq.size(); ++p) {
        const std::vector<double>& f = logo.freq[p];
        const double bits = informationBits(f);
        std::vector<size_t> order(f.size());
        for (size_t l = 0; l < order.size(); ++l) order[l] = l;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return f[a] < f[b]; });
        double base = top + height;
        const double x = left + column * static_cast<double>(p);
        for (size_t l : order) {
            const double h = height * f[l] * bits / maxBits;
            if (h < 0.5 || l >= logo.letters.size()) continue;
            const char letter = logo.letters[l];
            s << "<text transform=\"translate(" << px(x + column / 2) << "," << px(base)
              << ") scale(" << px(column / (0.68 * kFontSize)) << "," << px(h / kCapHeight)
              << ")\" font-size=\"" << kFontSize
              << "\" font-weight=\"bold\" text-anchor=\"middle\" "
              << "fill=\"" << letterColour(letter) << "\">" << HtmlEscaped(std::string(1, letter))
              << "</text>\n";
            base -= h;
        }
        if (p % 5 == 0 || p + 1 == logo.freq.size())
            s << "<text x=\"" << px(x + column / 2) << "\" y=\"" << px(top + height + 14)
              << "\" text-anchor=\"middle\" font-size=\"10\">" << p + 1 << "</text>\n";
    }
    s << "</svg>\n";
    return s.str();
}

// Position x letter cells coloured by their contribution: positive blue, negative orange.
std::string heatSvg(const ContrastReport& c) {
    double largest = 0.0;
    for (const auto& row : c.heat)
        for (double v : row) largest = std::max(largest, std::fabs(v));
    const double cell = 12, left = 24, top = 8;
    const size_t letters = c.letters.size();
    std::ostringstream s;
    s << svgOpen(left + cell * static_cast<double>(c.heat.size()) + 10,
                 top + cell * static_cast<double>(letters) + 24,
                 "Contribution of each position and letter to the discriminative score");
    for (size_t l = 0; l < letters; ++l)
        s << "<text x=\"" << px(left - 6) << "\" y=\"" << px(top + cell * (double(l) + 0.8))
          << "\" text-anchor=\"end\">" << HtmlEscaped(std::string(1, c.letters[l])) << "</text>";
    for (size_t p = 0; p < c.heat.size(); ++p) {
        for (size_t l = 0; l < letters && l < c.heat[p].size(); ++l) {
            const double v = c.heat[p][l];
            const double alpha = largest > 0 ? std::fabs(v) / largest : 0.0;
            s << "<rect x=\"" << px(left + cell * double(p)) << "\" y=\""
              << px(top + cell * double(l)) << "\" width=\"" << px(cell) << "\" height=\""
              << px(cell) << "\" fill=\"" << (v >= 0 ? kPositiveColour : kNegativeColour)
              << "\" fill-opacity=\"" << fixed(alpha, 3) << "\"><title>" << c.letters[l] << " at "
              << p + 1 << ": " << fixed(v, 3) << "</title></rect>";
        }
        if (p % 5 == 0 || p + 1 == c.heat.size())
            s << "<text x=\"" << px(left + cell * (double(p) + 0.5)) << "\" y=\""
              << px(top + cell * double(letters) + 14)
              << "\" text-anchor=\"middle\" font-size=\"10\">" << p + 1 << "</text>";
    }
    s << "\n</svg>\n";
    return s.str();
}

// The table of `rules`: number, Fisher value, CP and the rule's text (set as code when
// `asCode`).
void ruleTable(std::ostringstream& s, const std::vector<ReportRule>& rules, bool asCode) {
    s << "<table><tr><th>#</th><th>Fisher</th><th>CP</th><th>rule</th></tr>\n";
    for (size_t i = 0; i < rules.size(); ++i) {
        const ReportRule& r = rules[i];
        s << "<tr><td class=\"n\">" << i + 1 << "</td><td class=\"n\">" << scientific(r.fisher)
          << "</td><td class=\"n\">" << fixed(r.cp, 4) << "</td><td>" << (asCode ? "<code>" : "")
          << HtmlEscaped(r.text) << (asCode ? "</code>" : "") << "</td></tr>\n";
    }
    s << "</table>\n";
}

void contrastSection(std::ostringstream& s, const ContrastReport& c) {
    s << "<h2>Discriminative regularities</h2>\n";
    s << "<p>Rules whose conditions tell the learning positives from the learning negatives, "
      << "found by the same search with the sample as the predicted letter. The discriminative "
      << "score of a sequence is the sum of the weights -ln(1 - |r|) of the rules that hold on "
      << "it, rules predicting a positive adding and rules predicting a negative subtracting "
      << (c.calibrated ? "; in the cross-validation each fold calibrates its scores to "
                         "probabilities on its own training sequences"
                       : " (not calibrated to a probability)")
      << ".</p>\n";
    const CrossValidationResult* cv = c.validation;
    if (cv != nullptr && cv->complete) {
        if (!c.tuning.empty()) s << "<p>" << HtmlEscaped(c.tuning) << "</p>\n";
        s << "<p><b>Held-out AUC " << aucText(cv->auc) << "</b> on the same folds; level "
          << fixed(cv->level, 2) << ": first-level errors " << proportion(cv->errors.first)
          << ", second-level errors " << proportion(cv->errors.second) << ".";
        if (c.calibrated)
            s << " At probability 0.50, fixed before any fold was seen: first-level errors "
              << proportion(c.atHalf.first) << ", second-level errors "
              << proportion(c.atHalf.second) << ".";
        s << "</p>\n";
        s << "<div class=\"plots\">" << rocSvg(*cv) << "</div>\n";
        s << "<table><tr><th>fold</th><th>positives</th><th>negatives</th><th>rules</th>"
          << "<th>AUC (95 %)</th><th>first-level errors</th><th>second-level errors</th></tr>\n";
        for (const FoldSummary& f : cv->folds) {
            s << "<tr><td class=\"n\">" << f.fold + 1 << "</td><td class=\"n\">" << f.positives
              << "</td><td class=\"n\">" << f.negatives << "</td><td class=\"n\">" << f.rules
              << "</td><td class=\"n\">" << aucText(f.auc) << "</td><td class=\"n\">"
              << proportion(f.errors.first) << "</td><td class=\"n\">"
              << proportion(f.errors.second) << "</td></tr>\n";
        }
        s << "</table>\n";
    }
    if (!c.rulesShown) return;
    if (!c.heat.empty() && !c.letters.empty()) {
        s << "<p>What each position and letter contributes (each rule's signed weight shared "
          << "among its conditions; <span style=\"color:" << kPositiveColour
          << "\">&#9632; towards a positive</span>, <span style=\"color:" << kNegativeColour
          << "\">&#9632; towards a negative</span>):</p>\n"
          << heatSvg(c);
    }
    s << "<p>" << c.ruleCount << " discriminative rules on all learning sequences ("
      << c.positiveRules << " predicting a positive)";
    if (static_cast<int32_t>(c.rules.size()) < c.ruleCount)
        s << "; the " << c.rules.size() << " most significant are listed";
    s << ".</p>\n";
    ruleTable(s, c.rules, false);
}

const char* kStyle = R"(body{font-family:sans-serif;margin:24px;color:#222;max-width:1100px}
h1{font-size:22px}h2{font-size:18px;margin-top:28px;border-bottom:1px solid #ccc}
table{border-collapse:collapse;margin:8px 0}td,th{border:1px solid #bbb;padding:3px 8px;text-align:left}
th{background:#eee}td.n{text-align:right;font-variant-numeric:tabular-nums}
svg text{font-size:12px;font-family:sans-serif}.plots{display:flex;flex-wrap:wrap;gap:16px}
.note{color:#555;font-size:13px}code{font-size:12px})";

}  // namespace

ContrastReport contrastReportOf(const ContrastRules* rules, size_t listed,
                                const CrossValidationResult* validation,
                                const std::vector<ContrastChoice>& choices, bool tuned,
                                bool fitted) {
    ContrastReport report;
    report.validation = validation;
    report.rulesShown = rules != nullptr;
    if (rules != nullptr) {
        const ContrastRules& c = *rules;
        report.ruleCount = static_cast<int32_t>(c.rules.size());
        for (const ContrastRule& r : c.rules) report.positiveRules += r.predictsPositive() ? 1 : 0;
        for (size_t i = 0; i < c.rules.size() && i < listed; ++i)
            report.rules.push_back({c.rules[i].fisher, c.rules[i].cp, c.plainText(c.rules[i])});
        for (int32_t code = 0; code < c.letters.size(); ++code)
            report.letters += static_cast<char>(c.letters.letterOf(code));
        report.heat = contrastHeatMap(c);
    }
    if (validation == nullptr) return report;
    report.tuning = contrastChoicesText(choices, tuned, fitted);
    report.calibrated = contrastChoicesCalibrated(choices, tuned, fitted);
    if (report.calibrated) report.atHalf = errorsAtLevel(validation->pooled, 0.5);
    return report;
}

double informationBits(const std::vector<double>& frequencies) {
    if (frequencies.size() < 2) return 0.0;
    double total = 0.0;
    for (double f : frequencies) total += f;
    if (!(total > 0)) return 0.0;  // no letter at this position
    double entropy = 0.0;
    for (double f : frequencies)
        if (f > 0) entropy -= f * std::log2(f);
    return std::max(0.0, std::log2(static_cast<double>(frequencies.size())) - entropy);
}

std::string EvaluationReportHtml(const EvaluationReportData& data) {
    std::ostringstream s;
    s << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>Motifora evaluation report</title>\n<style>" << kStyle
      << "</style>\n</head>\n<body>\n";
    s << "<h1>Motifora evaluation report</h1>\n";
    s << "<p>Made " << HtmlEscaped(data.date) << " by Motifora " << HtmlEscaped(data.version)
      << ".</p>\n";

    s << "<h2>Input files</h2>\n<table><tr><th>sample</th><th>file</th><th>records</th>"
      << "<th>SHA-256</th></tr>\n";
    for (const ReportInputFile& f : data.inputs) {
        s << "<tr><td>" << HtmlEscaped(f.role) << "</td><td>" << HtmlEscaped(f.path)
          << "</td><td class=\"n\">" << f.records << "</td><td><code>"
          << (f.sha256.empty() ? "unreadable" : f.sha256) << "</code></td></tr>\n";
    }
    s << "</table>\n";

    s << "<h2>Settings</h2>\n<table>\n";
    for (const auto& [name, value] : data.settings)
        s << "<tr><th>" << HtmlEscaped(name) << "</th><td>" << HtmlEscaped(value) << "</td></tr>\n";
    s << "</table>\n";

    const CrossValidationResult* cv = data.crossValidation;
    s << "<h2>Cross-validation</h2>\n";
    if (cv == nullptr || !cv->complete) {
        s << "<p>" << (cv == nullptr ? "Not run." : "Stopped before the end; no figures.")
          << "</p>\n";
    } else {
        const CrossValidationSettings& cs = cv->settings;
        s << "<p>" << cs.folds << "-fold stratified cross-validation (seed " << cs.seed
          << "): for each fold the rule search and the idealization ran on the other folds; "
          << "each held-out sequence is scored against every class so formed, and its best "
          << "score decides: above the level it is taken for a positive. Intervals are 95 %: "
          << "DeLong's for the AUC, Wilson's for error rates.</p>\n";
        s << "<p><b>AUC " << aucText(cv->auc) << "</b>; level " << fixed(cv->level, 2) << " ("
          << (cs.levelRule == LevelRule::kBalancedAccuracy
                  ? std::string("best balanced accuracy")
                  : "wanted first-level error " + fixed(cs.wantedFirstError, 3))
          << "): first-level errors " << proportion(cv->errors.first) << ", second-level errors "
          << proportion(cv->errors.second) << ".</p>\n";
        s << "<div class=\"plots\">" << rocSvg(*cv) << prSvg(*cv) << "</div>\n";
        s << "<p>Held-out score histograms: <span style=\"color:" << kPositiveColour
          << "\">&#9632; positives</span> <span style=\"color:" << kNegativeColour
          << "\">&#9632; negatives</span>; the black line is the level.</p>\n";
        s << histogramSvg(*cv);
        s << "<table><tr><th>fold</th><th>positives</th><th>negatives</th><th>rules</th>"
          << "<th>classes</th><th>AUC (95 %)</th><th>first-level errors</th>"
          << "<th>second-level errors</th></tr>\n";
        for (const FoldSummary& f : cv->folds) {
            s << "<tr><td class=\"n\">" << f.fold + 1 << "</td><td class=\"n\">" << f.positives
              << "</td><td class=\"n\">" << f.negatives << "</td><td class=\"n\">" << f.rules
              << "</td><td class=\"n\">" << f.classes << "</td><td class=\"n\">" << aucText(f.auc)
              << "</td><td class=\"n\">" << proportion(f.errors.first) << "</td><td class=\"n\">"
              << proportion(f.errors.second) << "</td></tr>\n";
        }
        s << "<tr><th>pooled</th><th class=\"n\">" << cv->errors.first.total
          << "</th><th class=\"n\">" << cv->errors.second.total << "</th><th></th><th></th>"
          << "<th class=\"n\">" << aucText(cv->auc) << "</th><th class=\"n\">"
          << proportion(cv->errors.first) << "</th><th class=\"n\">"
          << proportion(cv->errors.second) << "</th></tr>\n</table>\n";
    }

    if (data.contrast != nullptr) contrastSection(s, *data.contrast);

    if (data.hasControlDecision) {
        const ControlDecision& d = data.control;
        s << "<h2>Decision on the control data</h2>\n<p>At level " << fixed(d.level, 2) << " ("
          << HtmlEscaped(d.levelSource) << "), every control sequence scored against every class: "
          << "first-level errors (positives not above the level) " << proportion(d.errors.first)
          << "; second-level errors (negatives above it) " << proportion(d.errors.second)
          << ".</p>\n";
    }

    s << "<h2>Sequence logos of the largest classes</h2>\n";
    if (data.logos.empty() && data.classesWithoutLogo == 0) s << "<p>No classes.</p>\n";
    for (const ClassLogo& logo : data.logos) {
        s << "<p>Class " << logo.classNumber << ": " << logo.members << " learning object"
          << (logo.members == 1 ? "" : "s") << " (information content in bits)</p>\n"
          << logoSvg(logo);
    }
    if (data.classesWithoutLogo > 0)
        s << "<p>" << data.classesWithoutLogo
          << (data.classesWithoutLogo == 1 ? " class has" : " classes have") << " fewer than "
          << kLogoMinimumMembers
          << " learning objects and no logo: so few sequences say nothing about a site.</p>\n";

    s << "<h2>Rules</h2>\n";
    s << "<p>" << data.ruleCount << " rules";
    if (static_cast<int32_t>(data.rules.size()) < data.ruleCount)
        s << "; the first " << data.rules.size() << " in the store's order are listed";
    s << ".</p>\n";
    ruleTable(s, data.rules, true);
    s << "</body>\n</html>\n";
    return s.str();
}

Status WriteEvaluationReport(const std::string& fileName, const EvaluationReportData& data) {
    return WriteFileAtomically(fileName, EvaluationReportHtml(data));
}

}  // namespace motifora
