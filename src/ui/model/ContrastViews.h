// What the window shows of the discriminative rules: the rows of their grid, and the position x
// letter heat map of what each cell contributes to the discriminative score.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "rules/ContrastSearch.h"
#include "ui/model/Controls.h"

namespace motifora {

// The headers of the discriminative rules grid.
std::vector<std::string> contrastGridHeaders();
// One row per rule, in the list's order: number, Fisher value ("1.234e-05"), the rule
// ("3=T & 5=-G => positive"), CP ("%f"), and the learning positives and negatives its
// conditions hold for ("31 of 53"). Numbers are written with a decimal point, as the rules
// grid writes them.
std::vector<std::vector<std::string>> contrastGridRows(const ContrastRules& rules);

// Colours are 0xRRGGBB.
struct HeatMapCell {
    double value = 0.0;
    std::string text;  // the value with two decimals
    std::string tip;   // "T at 12: +0.83, speaks for a positive"
    uint32_t colour = 0xffffff;
    uint32_t textColour = 0x000000;
    // Among the strongest cells of the map: its number is written even where cells are narrow.
    bool strong = false;
};

struct HeatMapLegendEntry {
    uint32_t colour = 0xffffff;
    std::string text;
};

// The heat map as the window draws it: one row per letter, one column per position.
struct HeatMap {
    bool shown = false;  // false: no discriminative rules to draw
    std::string title;
    std::vector<std::string> letters;             // row labels, in the order of the letter codes
    std::vector<std::string> positions;           // column labels, 1-based as in the rule texts
    std::vector<std::vector<HeatMapCell>> cells;  // [letter][position]
    // The largest |value|; the colours run from blue at -extent through white to red at +extent.
    double extent = 0.0;
    std::vector<HeatMapLegendEntry> legend;  // from -extent to +extent
    std::string legendText;
};

// The colour of `value` on the scale -extent (blue) .. 0 (white) .. +extent (red); values
// beyond the extent take the end colours, and an extent of 0 or less gives white.
uint32_t heatColour(double value, double extent);
// A text colour that reads well on `background` (black on light colours, white on dark ones).
uint32_t heatTextColour(uint32_t background);
// A cell's number written short for a narrow cell: no "+" sign and no leading zero ("+0.83"
// becomes ".83", "-0.50" becomes "-.50", "+1.20" becomes "1.20"); other texts stay as they are.
std::string compactCellText(const std::string& text);
// Marks as strong the cells whose |value| is at least half the map's extent, no more than `most`
// of them: the largest |value| first, ties in the order of the letters, then of the positions.
void markStrongestCells(HeatMap& map, size_t most);
// The heat map of contrastHeatMap(rules), with its values written with `numbers`' separator;
// its strongest cells (no more than the positions, or 8) are marked by markStrongestCells.
HeatMap buildContrastHeatMap(const ContrastRules& rules, const NumberFormat& numbers);

// The heat map window: visible while shown; its map is refilled with the rules.
class ContrastMapView : public ValueControl<HeatMap> {
  public:
    explicit ContrastMapView(std::recursive_mutex& mutex);
    HeatMap map() const { return value(); }
    void setMap(HeatMap map) { setValue(std::move(map)); }
};

}  // namespace motifora
