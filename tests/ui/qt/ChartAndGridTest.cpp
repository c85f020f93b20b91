// The chart with long scans (envelope, markers, bounded ticks, exact ranges) and the grid views'
// column sizing and tooltips.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineSeries>
#include <QScrollBar>
#include <QTableView>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <random>

#include "ui/model/Controls.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/GridTableModel.h"

namespace motifora::testing {
namespace {

// Scores of a long scan: a wandering walk with a few sharp peaks, from a printed fixed seed.
Chart::Series scan(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> step(0.0, 1.0);
    Chart::Series points;
    points.reserve(count);
    double y = 0.0;
    for (size_t k = 0; k < count; ++k) {
        y += step(random);
        const double peak = k % 9973 == 17 ? 500.0 : 0.0;
        points.emplace_back(static_cast<double>(k + 1), y + peak);
    }
    return points;
}

TEST(ChartEnvelope, ShortSeriesAreDrawnAsTheyAre) {
    const Chart::Series points = {{1, 2.0}, {2, -1.0}, {3, 5.0}};
    const QList<QPointF> drawn = envelope(points, 10);
    ASSERT_EQ(drawn.size(), 3);
    EXPECT_EQ(drawn[2], QPointF(3, 5.0));
}

TEST(ChartEnvelope, EachPixelColumnKeepsItsLowestAndHighestPointInOrder) {
    const unsigned seed = 20261207;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    const Chart::Series points = scan(100000, seed);
    const int columns = 700;
    const QList<QPointF> drawn = envelope(points, columns);
    ASSERT_LE(drawn.size(), 2 * columns);
    ASSERT_GE(drawn.size(), columns);
    for (qsizetype i = 1; i < drawn.size(); ++i) ASSERT_LT(drawn[i - 1].x(), drawn[i].x()) << i;

    // The straightforward way: every point goes to its column; each column's extremes must be
    // among the drawn points.
    const double low = points.front().first, width = points.back().first - low;
    std::vector<double> lowest(columns, std::numeric_limits<double>::infinity());
    std::vector<double> highest(columns, -std::numeric_limits<double>::infinity());
    for (const auto& [x, y] : points) {
        const int c = std::min(columns - 1, static_cast<int>((x - low) / width * columns));
        lowest[static_cast<size_t>(c)] = std::min(lowest[static_cast<size_t>(c)], y);
        highest[static_cast<size_t>(c)] = std::max(highest[static_cast<size_t>(c)], y);
    }
    std::vector<double> drawnLow(columns, std::numeric_limits<double>::infinity());
    std::vector<double> drawnHigh(columns, -std::numeric_limits<double>::infinity());
    for (const QPointF& p : drawn) {
        const int c = std::min(columns - 1, static_cast<int>((p.x() - low) / width * columns));
        drawnLow[static_cast<size_t>(c)] = std::min(drawnLow[static_cast<size_t>(c)], p.y());
        drawnHigh[static_cast<size_t>(c)] = std::max(drawnHigh[static_cast<size_t>(c)], p.y());
    }
    EXPECT_EQ(drawnLow, lowest);
    EXPECT_EQ(drawnHigh, highest);
}

TEST(ChartEnvelope, UndefinedScoresAreLeftOut) {
    Chart::Series points = scan(5000, 7);
    points[100].second = std::numeric_limits<double>::quiet_NaN();
    points[200].second = std::numeric_limits<double>::infinity();
    for (const QPointF& p : envelope(points, 100)) EXPECT_TRUE(std::isfinite(p.y()));
}

TEST(ChartTicks, RoundIntervalsOfAboutFiveTicks) {
    struct Case {
        double range, interval;
    };
    const Case cases[] = {{1.0, 0.2},     {10.0, 2.0},    {99100.0, 20000.0}, {3.0, 1.0},
                          {0.004, 0.001}, {250.0, 50.0},  {0.0, 1.0},         {-5.0, 1.0},
                          {1e300, 2e299}, {12345.0, 5000}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(tickInterval(c.range), c.interval) << c.range;
    EXPECT_EQ(tickInterval(std::numeric_limits<double>::quiet_NaN()), 1.0);
}

// Counts the ticks an axis would lay out at every change of its range or interval.
struct TickWatch {
    double most = 0;
    void watch(QValueAxis* axis) {
        const auto look = [this, axis] {
            if (axis->tickInterval() > 0)
                most = std::max(most, (axis->max() - axis->min()) / axis->tickInterval());
        };
        QObject::connect(axis, &QValueAxis::rangeChanged, look);
        QObject::connect(axis, &QValueAxis::tickIntervalChanged, look);
    }
};

TEST(ChartBinding, ALongScanIsDrawnAsAnEnvelopeWithoutMarkersAndExactRanges) {
    std::recursive_mutex mutex;
    Chart chart(mutex);
    chart.setXAxis({"Position", true, 0, 0});
    chart.setYAxis({"Score", true, 0, 0});
    ChartBinding view(chart);
    view.resize(800, 400);
    TickWatch xTicks, yTicks;
    xTicks.watch(view.xAxis());
    yTicks.watch(view.yAxis());

    // A short chart first (small tick interval), then the long scan, then short again: the
    // axes never pass through a state with a small interval over the long range.
    for (int k = 1; k <= 5; ++k) chart.addPoint(0, k, k * 0.1);
    ASSERT_TRUE(view.refresh());
    EXPECT_TRUE(view.series(0)->pointsVisible());

    const Chart::Series points = scan(100000, 99);
    chart.clearSeries(0);
    for (const auto& [x, y] : points) chart.addPoint(0, x, y);
    chart.addPoint(1, 1, 0.0);
    chart.addPoint(1, 100000, 0.0);
    ASSERT_TRUE(view.refresh());
    EXPECT_FALSE(view.series(0)->pointsVisible()) << "no squares on 100,000 points";
    EXPECT_TRUE(view.series(0)->lightMarker().isNull()) << "no squares on 100,000 points";
    EXPECT_FALSE(view.series(1)->lightMarker().isNull()) << "the level line keeps its two";
    EXPECT_LE(view.series(0)->count(), 2 * 800);
    EXPECT_GT(view.series(0)->count(), 100);
    EXPECT_EQ(view.series(1)->count(), 2);
    double low = points[0].second, high = low;
    for (const auto& point : points) {
        low = std::min(low, point.second);
        high = std::max(high, point.second);
    }
    // The drawn extremes are the data's extremes, and the axes hold every point.
    double drawnLow = view.series(0)->at(0).y(), drawnHigh = drawnLow;
    for (const QPointF& p : view.series(0)->points()) {
        drawnLow = std::min(drawnLow, p.y());
        drawnHigh = std::max(drawnHigh, p.y());
    }
    EXPECT_EQ(drawnLow, low);
    EXPECT_EQ(drawnHigh, high);
    EXPECT_LE(view.yAxis()->min(), low);
    EXPECT_GE(view.yAxis()->max(), high);
    EXPECT_LE(view.xAxis()->min(), 1.0);
    EXPECT_GE(view.xAxis()->max(), 100000.0);

    chart.clearSeries(0);
    chart.clearSeries(1);
    for (int k = 1; k <= 5; ++k) chart.addPoint(0, k, k * 0.01);
    ASSERT_TRUE(view.refresh());
    EXPECT_TRUE(view.series(0)->pointsVisible());
    EXPECT_FALSE(view.series(0)->lightMarker().isNull());
    EXPECT_EQ(view.series(0)->count(), 5);
    EXPECT_LE(xTicks.most, 20.0);
    EXPECT_LE(yTicks.most, 20.0);

    // The model keeps every value; the view only draws fewer.
    chart.clearSeries(0);
    for (const auto& [x, y] : points) chart.addPoint(0, x, y);
    ASSERT_TRUE(view.refresh());
    EXPECT_EQ(chart.series(0).size(), points.size());
    const qsizetype wide = view.series(0)->count();
    view.resize(400, 400);
    EXPECT_LT(view.series(0)->count(), wide) << "a narrower plot has fewer columns to fill";
}

// A grid view in a window of a given width, as the main window places one.
struct GridInWindow {
    std::recursive_mutex mutex;
    Grid grid{mutex, 5, 1};
    ControlBinder binder;
    QWidget window;
    QTableView* view = nullptr;

    GridInWindow(int width, int elastic) {
        view = createGridView(grid, binder, "Grid", elastic);
        view->setParent(&window);
        window.resize(width, 400);
        view->resize(width, 400);
        window.show();
    }
    void sync() {
        binder.sync();
        QApplication::processEvents();
    }
};

TEST(GridView, EveryColumnShowsAndTheLongOneIsElidedWithItsTextInTheTooltip) {
    GridInWindow g(700, 2);
    g.grid.setHeaders({"#", "Fisher", "Rule", "CP", "Class №"});
    const std::string longRule(400, 'A');
    g.grid.setRowCount(4);
    for (int r = 1; r <= 3; ++r) {
        g.grid.setCell(0, r, std::to_string(r));
        g.grid.setCell(1, r, "0.000000");
        g.grid.setCell(2, r, longRule + std::to_string(r));
        g.grid.setCell(3, r, "0.971429");
    }
    g.sync();
    QHeaderView* header = g.view->horizontalHeader();
    const int viewport = g.view->viewport()->width();
    for (int c = 0; c < 5; ++c) {
        EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), viewport) << c;
        EXPECT_GE(header->sectionViewportPosition(c), 0) << c;
    }
    EXPECT_EQ(g.view->horizontalScrollBar()->maximum(), 0) << "nothing to scroll sideways to";
    EXPECT_LT(header->sectionSize(2),
              g.view->fontMetrics().horizontalAdvance(QString::fromStdString(longRule)));
    const QModelIndex rule = g.view->model()->index(1, 2);
    EXPECT_EQ(rule.data(Qt::ToolTipRole).toString(), QString::fromStdString(longRule + "2"));
    EXPECT_TRUE(g.view->horizontalHeader()->isVisible());
    EXPECT_GT(g.view->horizontalHeader()->height(), 0);

    // A tip source speaks for its cells; elsewhere the cell's own text is the tip.
    auto* model = static_cast<GridTableModel*>(g.view->model());
    model->setTipSource(
        [](int column, int row) { return column == 1 ? "full " + std::to_string(row) : ""; });
    EXPECT_EQ(model->index(0, 1).data(Qt::ToolTipRole).toString(), QString("full 1"));
    EXPECT_EQ(model->index(0, 3).data(Qt::ToolTipRole).toString(), QString("0.971429"));
    EXPECT_FALSE(model->index(0, 4).data(Qt::ToolTipRole).isValid()) << "an empty cell";
}

TEST(GridView, AWideGridScrollsSidewaysInsteadOfSqueezing) {
    GridInWindow g(500, 3);
    g.grid.setColCount(5 + 20);  // a control grid with twenty score columns
    g.grid.setRowCount(3);
    for (int c = 0; c < g.grid.colCount(); ++c) g.grid.setCell(c, 1, "12:345,67");
    g.sync();
    EXPECT_GT(g.view->horizontalScrollBar()->maximum(), 0);
    EXPECT_NE(g.view->horizontalHeader()->sectionResizeMode(3), QHeaderView::Stretch);
}

TEST(GridView, KeepsItsHeaderAndSomeRowsHoweverSmallItsPane) {
    GridInWindow g(500, 3);
    const int rowHeight = g.view->verticalHeader()->defaultSectionSize();
    EXPECT_GE(g.view->minimumHeight(),
              g.view->horizontalHeader()->sizeHint().height() + kMinimumRows * rowHeight);
}

}  // namespace
}  // namespace motifora::testing
