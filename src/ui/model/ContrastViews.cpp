// The discriminative rules grid's texts and the heat map's values, colours and legend.
#include "ui/model/ContrastViews.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace motifora {

namespace {

constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kPositiveEnd = 0xb2182b;  // red: the letter speaks for a positive
constexpr uint32_t kNegativeEnd = 0x2166ac;  // blue: for a negative

// `value` with `format` and `precision` and a decimal point whatever the locale.
std::string written(double value, std::chars_format format, int precision) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, format, precision);
    return end.ec == std::errc() ? std::string(text, end.ptr) : std::string();
}

uint32_t channel(uint32_t colour, int shift) { return (colour >> shift) & 0xffu; }

uint32_t blend(uint32_t from, uint32_t to, double t) {
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        const double a = channel(from, shift), b = channel(to, shift);
        out |= static_cast<uint32_t>(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

std::string signedText(double value, const NumberFormat& numbers) {
    const std::string text = numbers.fixed(value, 2);
    return value > 0.0 && text != numbers.fixed(0.0, 2) ? "+" + text : text;
}

}  // namespace

std::vector<std::string> contrastGridHeaders() {
    return {"#", "Fisher", "Rule", "CP", "Positives", "Negatives"};
}

std::vector<std::vector<std::string>> contrastGridRows(const ContrastRules& rules) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(rules.rules.size());
    const std::string positives = " of " + std::to_string(rules.positives);
    const std::string negatives = " of " + std::to_string(rules.negatives);
    for (size_t i = 0; i < rules.rules.size(); ++i) {
        const ContrastRule& r = rules.rules[i];
        rows.push_back({std::to_string(i + 1), written(r.fisher, std::chars_format::scientific, 3),
                        rules.conditionsText(r), written(r.cp, std::chars_format::fixed, 6),
                        std::to_string(r.positivesHolding) + positives,
                        std::to_string(r.negativesHolding) + negatives});
    }
    return rows;
}

uint32_t heatColour(double value, double extent) {
    if (!(extent > 0.0) || !std::isfinite(value) || value == 0.0) return kWhite;
    const double t = std::min(std::fabs(value) / extent, 1.0);
    return blend(kWhite, value > 0.0 ? kPositiveEnd : kNegativeEnd, t);
}

uint32_t heatTextColour(uint32_t background) {
    // Perceived brightness (ITU-R BT.601 weights) on 0..255.
    const double brightness = 0.299 * channel(background, 16) + 0.587 * channel(background, 8) +
                              0.114 * channel(background, 0);
    return brightness < 140.0 ? 0xffffff : 0x000000;
}

std::string compactCellText(const std::string& text) {
    std::string shown = text;
    if (!shown.empty() && shown[0] == '+') shown.erase(0, 1);
    const size_t digits = !shown.empty() && shown[0] == '-' ? 1 : 0;
    // "0.83" or "0,83": the zero before the separator goes.
    if (shown.size() > digits + 2 && shown[digits] == '0' &&
        (shown[digits + 1] == '.' || shown[digits + 1] == ','))
        shown.erase(digits, 1);
    return shown;
}

void markStrongestCells(HeatMap& map, size_t most) {
    std::vector<HeatMapCell*> candidates;
    for (auto& row : map.cells)
        for (HeatMapCell& cell : row) {
            cell.strong = false;
            if (map.extent > 0.0 && cell.value != 0.0 && std::fabs(cell.value) >= map.extent / 2)
                candidates.push_back(&cell);
        }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const HeatMapCell* a, const HeatMapCell* b) {
                         return std::fabs(a->value) > std::fabs(b->value);
                     });
    if (candidates.size() > most) candidates.resize(most);
    for (HeatMapCell* cell : candidates) cell->strong = true;
}

HeatMap buildContrastHeatMap(const ContrastRules& rules, const NumberFormat& numbers) {
    HeatMap map;
    const std::vector<std::vector<double>> values = contrastHeatMap(rules);
    const int32_t letterCount = rules.letters.size();
    for (int32_t code = 0; code < letterCount; ++code)
        map.letters.emplace_back(1, static_cast<char>(rules.letters.letterOf(code)));
    for (size_t p = 0; p < values.size(); ++p) map.positions.push_back(std::to_string(p + 1));
    for (const auto& position : values)
        for (double v : position) map.extent = std::max(map.extent, std::fabs(v));
    map.cells.assign(map.letters.size(), std::vector<HeatMapCell>(values.size()));
    for (size_t p = 0; p < values.size(); ++p) {
        for (size_t l = 0; l < map.letters.size() && l < values[p].size(); ++l) {
            HeatMapCell& cell = map.cells[l][p];
            cell.value = values[p][l];
            cell.text = signedText(cell.value, numbers);
            cell.colour = heatColour(cell.value, map.extent);
            cell.textColour = heatTextColour(cell.colour);
            const char* reading = cell.value > 0.0   ? ", speaks for a positive"
                                  : cell.value < 0.0 ? ", speaks for a negative"
                                                     : ", no rule weighs it";
            cell.tip = map.letters[l] + " at " + map.positions[p] + ": " + cell.text + reading;
        }
    }
    markStrongestCells(map, std::max<size_t>(8, values.size()));
    map.shown = !rules.rules.empty() && !values.empty() && letterCount > 0;
    const size_t positive = static_cast<size_t>(
        std::count_if(rules.rules.begin(), rules.rules.end(),
                      [](const ContrastRule& r) { return r.predictsPositive(); }));
    map.title = std::to_string(rules.rules.size()) + " discriminative rules (" +
                std::to_string(positive) + " predicting a positive) on " +
                std::to_string(rules.positives) + " positive and " +
                std::to_string(rules.negatives) + " negative sequences";
    for (double step : {-1.0, -0.5, 0.0, 0.5, 1.0}) {
        const double value = step * map.extent;
        map.legend.push_back({heatColour(value, map.extent), signedText(value, numbers)});
    }
    map.legendText =
        "Each rule's weight -ln(1 - CP) is shared among its conditions: \"L at p\" adds its "
        "share to the cell, \"not L at p\" takes it away; a rule predicting a negative counts "
        "against. Red cells speak for a positive, blue ones for a negative.";
    return map;
}

ContrastMapView::ContrastMapView(std::recursive_mutex& mutex) : ValueControl(mutex) {
    setVisible(false);
}

}  // namespace motifora
