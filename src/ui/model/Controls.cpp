// The window's controls as plain data: accessors that keep counters and ranges straight.
#include "ui/model/Controls.h"

#include <algorithm>

namespace motifora {

uint64_t Control::changes() const { return locked(changes_); }

bool Control::visible() const { return locked(visible_); }

void Control::setVisible(bool value) { change(visible_, value); }

bool Control::enabled() const { return locked(enabled_); }

void Control::setEnabled(bool value) { change(enabled_, value); }

TextControl::TextControl(std::recursive_mutex& mutex, std::string text, bool enabled)
    : Control(mutex), text_(std::move(text)) {
    setEnabled(enabled);
}

std::string TextControl::text() const { return locked(text_); }

void TextControl::setText(const std::string& value) { change(text_, value); }

CheckControl::CheckControl(std::recursive_mutex& mutex, std::string caption, bool checked,
                           bool enabled)
    : TextControl(mutex, std::move(caption), enabled), checked_(checked) {}

bool CheckControl::checked() const { return locked(checked_); }

void CheckControl::setChecked(bool value) { change(checked_, value); }

UpDown::UpDown(std::recursive_mutex& mutex, int32_t minimum, int32_t maximum, int32_t position)
    : Control(mutex), minimum_(minimum), maximum_(maximum), position_(position) {}

int32_t UpDown::minimum() const { return locked(minimum_); }

int32_t UpDown::maximum() const { return locked(maximum_); }

int32_t UpDown::position() const { return locked(position_); }

RadioGroup::RadioGroup(std::recursive_mutex& mutex, std::string caption,
                       std::vector<std::string> items, int32_t itemIndex)
    : Control(mutex),
      caption_(std::move(caption)),
      items_(std::move(items)),
      itemIndex_(itemIndex) {}

std::string RadioGroup::caption() const { return locked(caption_); }

std::vector<std::string> RadioGroup::items() const { return locked(items_); }

int32_t RadioGroup::itemIndex() const { return locked(itemIndex_); }

void RadioGroup::setItemIndex(int32_t index) {
    auto lock = guard();
    if (index < 0 || index >= static_cast<int32_t>(items_.size())) index = -1;
    if (itemIndex_ != index) {
        itemIndex_ = index;
        touch();
    }
}

ProgressBar::ProgressBar(std::recursive_mutex& mutex, int32_t minimum, int32_t maximum)
    : Control(mutex), minimum_(minimum), maximum_(maximum), position_(minimum) {}

int32_t ProgressBar::minimum() const { return locked(minimum_); }

int32_t ProgressBar::maximum() const { return locked(maximum_); }

int32_t ProgressBar::position() const { return locked(position_); }

int32_t ProgressBar::step() const { return locked(step_); }

void ProgressBar::setRange(int32_t minimum, int32_t maximum) {
    auto lock = guard();
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
    touch();
}

void ProgressBar::setPosition(int32_t value) {
    auto lock = guard();
    value = std::clamp(value, minimum_, maximum_);
    if (position_ != value) {
        position_ = value;
        touch();
    }
}

void ProgressBar::setStep(int32_t value) {
    auto lock = guard();
    step_ = value;
}

void ProgressBar::stepIt() {
    auto lock = guard();
    // Widen before adding: the step comes from the engines and may be any int.
    const int64_t moved = static_cast<int64_t>(position_) + step_;
    setPosition(static_cast<int32_t>(std::clamp<int64_t>(moved, minimum_, maximum_)));
}

int32_t ProgressBar::percent() const {
    auto lock = guard();
    const int64_t span = static_cast<int64_t>(maximum_) - minimum_;
    if (span <= 0) return 0;
    const int64_t done = std::clamp<int64_t>(static_cast<int64_t>(position_) - minimum_, 0, span);
    return static_cast<int32_t>(done * 100 / span);
}

Grid::Grid(std::recursive_mutex& mutex, int32_t columns, int32_t rows)
    : Control(mutex), rows_(std::max(rows, 1)), columns_(std::max(columns, 1)) {}

int32_t Grid::rowCount() const { return locked(rows_); }

int32_t Grid::colCount() const { return locked(columns_); }

void Grid::setRowCount(int32_t rows) {
    auto lock = guard();
    rows = std::max(rows, 1);
    if (rows == rows_) return;
    rows_ = rows;
    cells_.erase(cells_.lower_bound(rows_), cells_.end());
    touch();
}

void Grid::setColCount(int32_t columns) {
    auto lock = guard();
    columns = std::max(columns, 1);
    if (columns == columns_) return;
    columns_ = columns;
    for (auto& entry : cells_) entry.second.resize(static_cast<size_t>(columns_));
    touch();
}

std::string Grid::cell(int32_t column, int32_t row) const {
    auto lock = guard();
    if (row < 0 || column < 0 || row >= rows_ || column >= columns_) return {};
    const auto found = cells_.find(row);
    if (found == cells_.end()) return {};
    return found->second[static_cast<size_t>(column)];
}

void Grid::setCell(int32_t column, int32_t row, const std::string& text) {
    auto lock = guard();
    if (row < 0 || column < 0 || row == INT32_MAX || column == INT32_MAX) return;
    if (column >= columns_) setColCount(column + 1);
    if (row >= rows_) setRowCount(row + 1);
    auto found = cells_.find(row);
    if (found == cells_.end()) {
        if (text.empty()) return;
        found = cells_.emplace(row, std::vector<std::string>(static_cast<size_t>(columns_))).first;
    }
    auto& slot = found->second[static_cast<size_t>(column)];
    if (slot != text) {
        slot = text;
        touch();
    }
}

void Grid::setHeaders(const std::vector<std::string>& headers) {
    auto lock = guard();
    for (size_t c = 0; c < headers.size(); ++c) setCell(static_cast<int32_t>(c), 0, headers[c]);
}

void Grid::clearDataRows() {
    auto lock = guard();
    cells_.erase(cells_.upper_bound(0), cells_.end());
    touch();
}

void Grid::shiftRowsDown(int32_t first, int32_t last, int32_t columns,
                         const std::function<std::string(const std::string&)>& renumber) {
    auto lock = guard();
    first = std::max(first, 0);
    if (last <= first || last == INT32_MAX || columns < 1) return;
    if (columns > columns_) setColCount(columns);
    if (last >= rows_) setRowCount(last + 1);
    for (int32_t row = last; row > first; --row) {
        const auto from = cells_.find(row - 1);
        auto to = cells_.find(row);
        for (int32_t c = 0; c < columns; ++c) {
            std::string text;
            if (from != cells_.end())
                text = std::exchange(from->second[static_cast<size_t>(c)], {});
            if (c == 0 && renumber) text = renumber(text);
            if (to == cells_.end()) {
                if (text.empty()) continue;
                to = cells_.emplace(row, std::vector<std::string>(static_cast<size_t>(columns_)))
                         .first;
            }
            to->second[static_cast<size_t>(c)] = std::move(text);
        }
    }
    touch();
}

std::vector<std::string> Grid::row(int32_t row) const {
    auto lock = guard();
    std::vector<std::string> texts(static_cast<size_t>(columns_));
    const auto found = cells_.find(row);
    if (row >= 0 && row < rows_ && found != cells_.end()) texts = found->second;
    return texts;
}

std::vector<std::vector<std::string>> Grid::rows(int32_t first, int32_t last) const {
    auto lock = guard();
    first = std::max(first, 0);
    last = std::min(last, rows_ - 1);
    std::vector<std::vector<std::string>> texts;
    for (int32_t r = first; r <= last; ++r) {
        texts.push_back(row(r));
        texts.back().resize(static_cast<size_t>(columns_));
    }
    return texts;
}

void Grid::select(int32_t top, int32_t bottom) {
    auto lock = guard();
    selectionTop_ = std::min(top, bottom);
    selectionBottom_ = std::max(top, bottom);
    touch();
}

int32_t Grid::selectionTop() const { return locked(selectionTop_); }

int32_t Grid::selectionBottom() const { return locked(selectionBottom_); }

Chart::Chart(std::recursive_mutex& mutex) : Control(mutex) {}

Chart::Axis Chart::xAxis() const { return locked(x_); }

Chart::Axis Chart::yAxis() const { return locked(y_); }

void Chart::setXAxis(const Axis& axis) {
    auto lock = guard();
    x_ = axis;
    touch();
}

void Chart::setYAxis(const Axis& axis) {
    auto lock = guard();
    y_ = axis;
    touch();
}

Chart::Series Chart::series(int32_t index) const {
    auto lock = guard();
    if (index < 0 || index > 1) return {};
    return series_[index];
}

void Chart::clearSeries(int32_t index) {
    auto lock = guard();
    if (index < 0 || index > 1) return;
    series_[index].clear();
    touch();
}

void Chart::addPoint(int32_t index, double x, double y) {
    auto lock = guard();
    if (index < 0 || index > 1) return;
    series_[index].emplace_back(x, y);
    touch();
}

std::string Chart::title() const { return locked(title_); }

void Chart::setTitle(const std::string& text) { change(title_, text); }

std::vector<Chart::Mark> Chart::marks() const { return locked(marks_); }

void Chart::setMarks(std::vector<Mark> marks) { change(marks_, std::move(marks)); }

bool Chart::levelSeries() const { return locked(levelSeries_); }

void Chart::setLevelSeries(bool value) { change(levelSeries_, value); }

StatusBar::StatusBar(std::recursive_mutex& mutex)
    : Control(mutex), texts_{"Status", "Program is started", ""}, widths_{50, 250, 700} {}

std::string StatusBar::panel(int32_t index) const {
    auto lock = guard();
    if (index < 0 || index >= kPanels) return {};
    return texts_[index];
}

int32_t StatusBar::panelWidth(int32_t index) const {
    auto lock = guard();
    if (index < 0 || index >= kPanels) return 0;
    return widths_[index];
}

void StatusBar::setPanel(int32_t index, const std::string& text) {
    auto lock = guard();
    if (index < 0 || index >= kPanels) return;
    if (texts_[index] != text) {
        texts_[index] = text;
        touch();
    }
}

}  // namespace motifora
