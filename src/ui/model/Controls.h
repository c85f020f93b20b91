// The window's controls as plain data: grids, edits, buttons, bars, labels, menus, the chart.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace motifora {

// Every control shares its window's mutex: the worker thread writes into the controls through
// the window operations while the window's thread (and a front end repainting) reads them. Each
// accessor takes the mutex for its own duration only; the mutex is recursive so that a window
// operation can hold it around several control changes. Every change bumps `changes`, so a front
// end repaints only what moved since its last look.
class Control {
  public:
    explicit Control(std::recursive_mutex& mutex) : mutex_(&mutex) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    // Number of changes made so far; grows by at least one with every visible change.
    uint64_t changes() const;
    bool visible() const;
    void setVisible(bool value);
    bool enabled() const;
    void setEnabled(bool value);

  protected:
    std::unique_lock<std::recursive_mutex> guard() const {
        return std::unique_lock<std::recursive_mutex>(*mutex_);
    }
    void touch() { ++changes_; }
    // A copy of `field` read under the mutex.
    template <class T>
    T locked(const T& field) const {
        auto lock = guard();
        return field;
    }
    // Sets `field` to `value` under the mutex; only a different value counts as a change.
    template <class T, class V>
    void change(T& field, V&& value) {
        auto lock = guard();
        if (field == value) return;
        field = std::forward<V>(value);
        touch();
    }

  private:
    std::recursive_mutex* mutex_;
    uint64_t changes_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
};

// A control holding one value that a front end draws (a chart's points, a heat map): a copy is
// read and a whole new value is set.
template <class T>
class ValueControl : public Control {
  public:
    using Control::Control;
    T value() const { return locked(value_); }
    void setValue(T value) {
        auto lock = guard();
        value_ = std::move(value);
        touch();
    }

  private:
    T value_{};
};

// A control with one caption or text: buttons, labels, edits, menu items, check boxes.
class TextControl : public Control {
  public:
    TextControl(std::recursive_mutex& mutex, std::string text, bool enabled = true);
    std::string text() const;
    void setText(const std::string& value);

  private:
    std::string text_;
};

using Button = TextControl;
using Label = TextControl;
using Edit = TextControl;

// A menu item, a radio button or a check box: a caption and a check mark.
class CheckControl : public TextControl {
  public:
    CheckControl(std::recursive_mutex& mutex, std::string caption, bool checked = false,
                 bool enabled = true);
    bool checked() const;
    void setChecked(bool value);

  private:
    bool checked_;
};

using MenuItem = CheckControl;
using RadioButton = CheckControl;
using CheckBox = CheckControl;

// An up-down control attached to an edit: its range and position.
class UpDown : public Control {
  public:
    UpDown(std::recursive_mutex& mutex, int32_t minimum, int32_t maximum, int32_t position);
    int32_t minimum() const;
    int32_t maximum() const;
    int32_t position() const;

  private:
    int32_t minimum_, maximum_, position_;
};

// A group of radio items of which at most one is selected (-1 = none).
class RadioGroup : public Control {
  public:
    RadioGroup(std::recursive_mutex& mutex, std::string caption, std::vector<std::string> items,
               int32_t itemIndex);
    std::string caption() const;
    std::vector<std::string> items() const;
    int32_t itemIndex() const;
    // Selects item `index`; an index outside the items selects nothing (-1).
    void setItemIndex(int32_t index);

  private:
    std::string caption_;
    std::vector<std::string> items_;
    int32_t itemIndex_;
};

// A progress bar: range, position and step. Positions never leave the range.
class ProgressBar : public Control {
  public:
    ProgressBar(std::recursive_mutex& mutex, int32_t minimum, int32_t maximum);
    int32_t minimum() const;
    int32_t maximum() const;
    int32_t position() const;
    int32_t step() const;
    void setRange(int32_t minimum, int32_t maximum);
    void setPosition(int32_t value);
    void setStep(int32_t value);
    // Moves the position by the step, held inside the range.
    void stepIt();
    // How far the position is through the range, in whole percent (0 for an empty range).
    int32_t percent() const;

  private:
    int32_t minimum_, maximum_, position_ = 0, step_ = 1;
};

// A text grid: row 0 is the header row; cells are addressed (column, row). A write outside the
// current size grows the grid to hold it rather than dropping the text. Only rows that hold
// text take memory, so a large row count typed by the user costs nothing until filled.
class Grid : public Control {
  public:
    Grid(std::recursive_mutex& mutex, int32_t columns, int32_t rows);
    int32_t rowCount() const;
    int32_t colCount() const;
    // Sets the row count; new rows are empty, rows beyond the new count are dropped. Counts
    // below 1 are taken as 1 (the header row always stays).
    void setRowCount(int32_t rows);
    void setColCount(int32_t columns);
    // The text of a cell; "" outside the grid.
    std::string cell(int32_t column, int32_t row) const;
    // Writes a cell; negative coordinates are ignored.
    void setCell(int32_t column, int32_t row, const std::string& text);
    // Writes the header row from column 0 on.
    void setHeaders(const std::vector<std::string>& headers);
    // Empties every cell of rows 1 and beyond.
    void clearDataRows();
    // Moves the texts of columns 0 .. columns-1 one row down, from rows first .. last-1 to rows
    // first+1 .. last, as setCell(c, row, cell(c, row - 1)) from row `last` up to row first+1
    // would (row last's old texts there are dropped; the grid grows to hold row last), but
    // under one lock and without copying. Row first keeps empty texts in those columns, for the
    // caller to fill. `renumber`, when given, makes column 0's moved text from the one above.
    void shiftRowsDown(int32_t first, int32_t last, int32_t columns,
                       const std::function<std::string(const std::string&)>& renumber = {});
    // The texts of one row, one per column ("" for empty cells).
    std::vector<std::string> row(int32_t row) const;
    // Rows `first` to `last` (clamped to the grid) read at one moment, each colCount() texts.
    std::vector<std::vector<std::string>> rows(int32_t first, int32_t last) const;
    // The selection, as grid rows from `top` to `bottom`.
    void select(int32_t top, int32_t bottom);
    int32_t selectionTop() const;
    int32_t selectionBottom() const;

  private:
    std::map<int32_t, std::vector<std::string>> cells_;  // row -> texts of its columns
    int32_t rows_;
    int32_t columns_;
    int32_t selectionTop_ = 1, selectionBottom_ = 1;
};

// The line chart of the Classes page: two series of points, axis titles, fixed or automatic
// ranges.
class Chart : public Control {
  public:
    struct Axis {
        std::string title;
        bool automatic = true;
        double minimum = 0.0;
        double maximum = 0.0;
    };
    using Series = std::vector<std::pair<double, double>>;

    explicit Chart(std::recursive_mutex& mutex);
    Axis xAxis() const;
    Axis yAxis() const;
    void setXAxis(const Axis& axis);
    void setYAxis(const Axis& axis);
    // Series 0 or 1; any other index gives an empty series.
    Series series(int32_t index) const;
    void clearSeries(int32_t index);
    void addPoint(int32_t index, double x, double y);

    // Where a record starts along x, and its name: drawn as a boundary line and a label.
    struct Mark {
        double x = 0.0;
        std::string name;
        bool operator==(const Mark&) const = default;
    };
    // The title above the plot; empty: none.
    std::string title() const;
    void setTitle(const std::string& text);
    // The record boundaries, in ascending x; empty: none.
    std::vector<Mark> marks() const;
    void setMarks(std::vector<Mark> marks);
    // True: series 1 is a level, drawn as a plain line across the plot (no point markers).
    bool levelSeries() const;
    void setLevelSeries(bool value);

  private:
    Axis x_, y_;
    Series series_[2];
    std::string title_;
    std::vector<Mark> marks_;
    bool levelSeries_ = false;
};

// The status bar: three panels, each with a text and a width.
class StatusBar : public Control {
  public:
    explicit StatusBar(std::recursive_mutex& mutex);
    static constexpr int32_t kPanels = 3;
    std::string panel(int32_t index) const;
    int32_t panelWidth(int32_t index) const;
    // Sets a panel's text; an index outside 0..2 does nothing.
    void setPanel(int32_t index, const std::string& text);

  private:
    std::string texts_[kPanels];
    int32_t widths_[kPanels];
};

// The page control: the index of the active page.
enum class Page { Rules = 0, Objects = 1, Classes = 2 };

}  // namespace motifora
