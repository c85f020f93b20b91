// Charts and grids taken away (PNG and SVG read back, CSV and TSV equal to the grid), and the
// chart's navigation: wheel zoom and drag along x, a click reported at its x, record marks, plain
// axis labels, the heat map fitting its window, and the sequence logos.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QXmlStreamReader>

#include "support/DelimitedText.h"
#include "support/TempDir.h"
#include "ui/model/ContrastViews.h"
#include "ui/model/GridExport.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ContrastMapWindow.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/ExportActions.h"
#include "ui/qt/GridTableModel.h"
#include "ui/qt/LogoWindow.h"
#include "ui/qt/SideColumn.h"

namespace motifora {
namespace {

// The root element's name and the size of its view box, and how many drawing elements the SVG
// file holds.
struct SvgFacts {
    QString root;
    double width = 0, height = 0;
    int shapes = 0, texts = 0;
    bool wellFormed = false;
};

SvgFacts readSvg(const std::string& path) {
    QFile file(QString::fromStdString(path));
    SvgFacts facts;
    if (!file.open(QIODevice::ReadOnly)) return facts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (facts.root.isEmpty()) {
            facts.root = name;
            // The drawing's own coordinates: "0 0 width height".
            const QStringList box = xml.attributes().value("viewBox").toString().split(' ');
            if (box.size() == 4) {
                facts.width = box[2].toDouble();
                facts.height = box[3].toDouble();
            }
        }
        if (name == "path" || name == "polyline" || name == "rect" || name == "line")
            ++facts.shapes;
        if (name == "text") ++facts.texts;
    }
    facts.wellFormed = !xml.hasError();
    return facts;
}

class ChartExportTest : public ::testing::Test {
  protected:
    ChartExportTest() {
        chart.setXAxis({"Position", true, 0, 0});
        chart.setYAxis({"Score", true, 0, 0});
        for (int k = 1; k <= 1000; ++k) chart.addPoint(0, k, std::sin(k / 50.0));
        view.resize(800, 400);
        view.show();
        view.refresh();
        QCoreApplication::processEvents();
    }
    // The x of the plot's pixel column `fraction` of the way across.
    QPoint plotPoint(double fraction) const {
        const QRectF plot = view.chart()->plotArea();
        return QPointF(plot.left() + fraction * plot.width(), plot.center().y()).toPoint();
    }

    std::recursive_mutex mutex;
    Chart chart{mutex};
    ChartBinding view{chart};
    test::TempDir folder{"motifora-chartexport"};
};

TEST_F(ChartExportTest, PngHasTheChartsSizeAndSvgParsesWithItsDrawing) {
    ASSERT_EQ(saveWidgetPicture(&view, QString::fromStdString(folder / "chart.png")), "");
    const QImage png(QString::fromStdString(folder / "chart.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), view.size() * view.devicePixelRatio());
    // Not blank: the line's red is somewhere in the picture.
    bool red = false;
    for (int y = 0; y < png.height() && !red; y += 2)
        for (int x = 0; x < png.width() && !red; x += 2) {
            const QColor c = png.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    EXPECT_TRUE(red);

    ASSERT_EQ(saveWidgetPicture(&view, QString::fromStdString(folder / "chart.SVG")), "");
    const SvgFacts svg = readSvg(folder / "chart.SVG");
    EXPECT_TRUE(svg.wellFormed);
    EXPECT_EQ(svg.root, "svg");
    EXPECT_EQ(svg.width, view.width());
    EXPECT_EQ(svg.height, view.height());
    EXPECT_GT(svg.shapes, 3) << "the axes, grid and line are drawn";
    EXPECT_GT(svg.texts, 3) << "the axis labels and titles are written";
}

TEST_F(ChartExportTest, AFailedSaveNamesTheFileAndKeepsWhatWasThere) {
    std::filesystem::create_directory(folder / "taken.png");
    const QString error = saveWidgetPicture(&view, QString::fromStdString(folder / "taken.png"));
    EXPECT_TRUE(error.contains("taken.png")) << error.toStdString();
    const std::string kept = folder.write("kept.svg", "old");
    ASSERT_EQ(saveWidgetPicture(&view, QString::fromStdString(kept)), "");
    EXPECT_TRUE(readSvg(kept).wellFormed);
}

TEST_F(ChartExportTest, TheContextMenuOffersThePicture) {
    EXPECT_EQ(view.contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList names;
    for (const QAction* action : view.actions()) names.append(action->objectName());
    EXPECT_TRUE(names.contains("SavePictureAs"));
}

TEST_F(ChartExportTest, WheelZoomsAroundThePointerAndDrawsThePartShown) {
    const auto [low, high] = view.shownRange();
    const QPoint middle = plotPoint(0.5);
    const double x = low + 0.5 * (high - low);
    for (int i = 0; i < 5; ++i) view.zoomAround(x, 0.5);
    const auto [zLow, zHigh] = view.shownRange();
    EXPECT_NEAR((zLow + zHigh) / 2, x, 1e-6 * (high - low));
    EXPECT_NEAR(zHigh - zLow, (high - low) / 32, 1e-6 * (high - low));
    // Only the points shown (and one beyond each side) are drawn, as they are.
    EXPECT_LE(view.series(0)->count(), static_cast<int>(zHigh - zLow) + 4);
    EXPECT_GE(view.series(0)->at(0).x(), zLow - 1.0);

    // A wheel turn towards the user zooms out again, around the same place.
    QWheelEvent out(middle, view.mapToGlobal(middle), QPoint(), QPoint(0, -120 * 30), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &out);
    EXPECT_EQ(view.shownRange(), (std::pair{low, high})) << "never beyond the whole";
    EXPECT_EQ(view.series(0)->count(), 1000);
}

TEST_F(ChartExportTest, DragMovesAlongXAndStopsAtTheEnds) {
    const auto [low, high] = view.shownRange();
    view.zoomAround(low, 0.25);  // the first quarter
    const auto [zLow, zHigh] = view.shownRange();
    EXPECT_EQ(zLow, low);
    // Dragging right shows what lies left: already at the start, nothing moves.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, plotPoint(0.2));
    QTest::mouseMove(view.viewport(), plotPoint(0.6));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, plotPoint(0.6));
    EXPECT_EQ(view.shownRange(), (std::pair{zLow, zHigh}));
    // Dragging left by half the plot moves half the range shown.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, plotPoint(0.6));
    QTest::mouseMove(view.viewport(), plotPoint(0.1));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, plotPoint(0.1));
    const auto [mLow, mHigh] = view.shownRange();
    EXPECT_NEAR(mLow - zLow, (zHigh - zLow) / 2, (zHigh - zLow) / 50);
    EXPECT_NEAR(mHigh - mLow, zHigh - zLow, 1e-9 * (high - low));
    view.moveBy(10 * (high - low));
    EXPECT_EQ(view.shownRange().second, high);
    view.showAll();
    EXPECT_EQ(view.shownRange(), (std::pair{low, high}));
}

TEST_F(ChartExportTest, AClickTellsItsXAndADragDoesNot) {
    QSignalSpy clicks(&view, &ChartBinding::clickedAt);
    const auto [low, high] = view.shownRange();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, plotPoint(0.25));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_NEAR(clicks[0][0].toDouble(), low + 0.25 * (high - low), (high - low) / 200);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, plotPoint(0.25));
    QTest::mouseMove(view.viewport(), plotPoint(0.5));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, plotPoint(0.5));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ChartExportTest, RecordNamesStandAtTheirBoundariesWithoutOverlapping) {
    chart.setMarks({{0.5, "first"}, {400.5, "second"}, {402.5, "crowded"}, {700.5, "third"}});
    chart.setTitle("three records");
    view.refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.chart()->title(), "three records");
    EXPECT_EQ(view.shownMarkNames(), (QStringList{"first", "second", "third"}));
    // Zoomed in, the two crowded boundaries lie far enough apart for both names.
    view.zoomAround(402.5, 0.01);
    EXPECT_EQ(view.shownMarkNames(), (QStringList{"second", "crowded"}));
    // Between boundaries none is drawn.
    view.showAll();
    view.zoomAround(600, 0.1);
    EXPECT_EQ(view.shownMarkNames(), QStringList{});
}

TEST_F(ChartExportTest, ALevelIsADashedLineWithoutSquares) {
    chart.addPoint(1, 1, 0.5);
    chart.addPoint(1, 1000, 0.5);
    view.refresh();
    EXPECT_FALSE(view.series(1)->lightMarker().isNull()) << "a second series keeps its squares";
    chart.setLevelSeries(true);
    view.refresh();
    EXPECT_TRUE(view.series(1)->lightMarker().isNull());
    EXPECT_EQ(view.series(1)->pen().style(), Qt::DashLine);
}

TEST(ChartAxisLabels, WholeNumbersAreWrittenOutAndFractionsGetTheirDecimals) {
    const std::pair<double, const char*> cases[] = {
        {200000.0, "%.0f"}, {1.0, "%.0f"},   {0.5, "%.1f"}, {0.2, "%.1f"},
        {0.05, "%.2f"},     {0.001, "%.3f"}, {0.0, "%.0f"},
    };
    for (const auto& [interval, format] : cases)
        EXPECT_EQ(axisLabelFormat(interval), format) << interval;
    // As the axis writes them: a million is "1000000".
    std::recursive_mutex mutex;
    Chart chart(mutex);
    chart.setXAxis({"Position", false, 0, 1000000});
    chart.addPoint(0, 0, 0);
    ChartBinding view(chart);
    view.refresh();
    EXPECT_EQ(QString::asprintf(view.xAxis()->labelFormat().toLatin1().constData(), 1000000.0),
              "1000000");
}

TEST(ChartSlice, ThePointsShownAndOneOnEachSide) {
    Chart::Series points;
    for (int k = 0; k < 10; ++k) points.emplace_back(k, 0.0);
    EXPECT_EQ(shownSlice(points, 3.5, 6.5), (std::pair<size_t, size_t>{3, 8}));
    EXPECT_EQ(shownSlice(points, 3.0, 6.0), (std::pair<size_t, size_t>{2, 8}));
    EXPECT_EQ(shownSlice(points, -5.0, 50.0), (std::pair<size_t, size_t>{0, 10}));
    EXPECT_EQ(shownSlice(points, 20.0, 30.0), (std::pair<size_t, size_t>{9, 10}));
    EXPECT_EQ(shownSlice({}, 0.0, 1.0), (std::pair<size_t, size_t>{0, 0}));
}

class GridViewExportTest : public ::testing::Test {
  protected:
    GridViewExportTest() {
        grid.setHeaders({"Record", "Start", "Note"});
        grid.setRowCount(5);
        for (int32_t r = 1; r < 5; ++r) {
            grid.setCell(0, r, "seq " + std::to_string(r));
            grid.setCell(1, r, std::to_string(r * 100));
            grid.setCell(2, r, r == 2 ? "a, \"quoted\" note" : "");
        }
        view = createGridView(grid, binder, "Grid");
        binder.sync();
    }
    ~GridViewExportTest() override { delete view; }  // unless a pane took it

    std::recursive_mutex mutex;
    Grid grid{mutex, 3, 1};
    ControlBinder binder;
    QTableView* view = nullptr;
};

TEST_F(GridViewExportTest, CopyTakesTheSelectedRowsAndCopyAllTheWholeGrid) {
    auto* menu = view->findChild<QMenu*>("GridMenu");
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (const QAction* action : menu->actions()) names.append(action->objectName());
    EXPECT_EQ(names, (QStringList{"CopyRows", "CopyAll", "SaveTableAs"}));

    view->selectRow(1);  // grid row 2
    for (QAction* action : menu->actions())
        if (action->objectName() == "CopyRows") action->trigger();
    const auto copied = test::parseDelimited(QApplication::clipboard()->text().toStdString(), '\t');
    EXPECT_EQ(copied, (std::vector<std::vector<std::string>>{grid.row(0), grid.row(2)}));
    for (QAction* action : menu->actions())
        if (action->objectName() == "CopyAll") action->trigger();
    EXPECT_EQ(test::parseDelimited(QApplication::clipboard()->text().toStdString(), '\t'),
              test::gridRows(grid));
}

TEST_F(GridViewExportTest, SavedCsvEqualsTheGridsCells) {
    const test::TempDir folder("motifora-gridview");
    ASSERT_TRUE(saveGridText(*gridOf(view), folder / "grid.csv"));
    EXPECT_EQ(test::parseDelimited(test::readBytes(folder / "grid.csv"), ','),
              test::gridRows(grid));
    EXPECT_EQ(gridOf(nullptr), nullptr);
}

TEST_F(GridViewExportTest, ASideColumnFollowsTheGridsRowsWithoutJoiningIt) {
    QWidget pane;
    auto* layout = new QVBoxLayout(&pane);
    layout->addWidget(view, 1);
    QTableView* best = createSideColumn(view, "Best", "Best", [this](int row) {
        return grid.cell(1, row).empty() ? std::string() : "best " + grid.cell(1, row);
    });
    view = nullptr;  // the pane owns both views now
    ASSERT_EQ(best->parentWidget(), &pane);
    QAbstractItemModel* side = best->model();
    EXPECT_EQ(side->columnCount(), 1);
    EXPECT_EQ(side->headerData(0, Qt::Horizontal).toString(), "Best");
    ASSERT_EQ(side->rowCount(), 4);
    EXPECT_EQ(side->index(1, 0).data().toString(), "best 200");

    // New rows and cells in the grid reach the side column at the grid's next refresh.
    grid.setRowCount(7);
    grid.setCell(1, 6, "600");
    binder.sync();
    ASSERT_EQ(side->rowCount(), 6);
    EXPECT_EQ(side->index(5, 0).data().toString(), "best 600");
    EXPECT_FALSE(side->index(4, 0).data(Qt::ToolTipRole).isValid()) << "no text, no tooltip";
    // The grid's columns and its text stay its own.
    auto* gridView = pane.findChild<QTableView*>("Grid");
    ASSERT_NE(gridView, nullptr);
    EXPECT_EQ(gridView->model()->columnCount(), 3);
    EXPECT_EQ(test::parseDelimited(gridText(grid, GridTextFormat::Csv), ',')[0].size(), 3u);
    // A row chosen in the side column is chosen in the grid.
    emit best->clicked(side->index(2, 0));
    EXPECT_EQ(gridView->selectionModel()->selectedRows().value(0).row(), 2);
    grid.setRowCount(2);
    binder.sync();
    EXPECT_EQ(side->rowCount(), 1);
}

TEST(HeatMapFit, FiftySevenPositionsFitAWindow1280Wide) {
    HeatMap map;
    map.shown = true;
    map.letters = {"A", "C", "G", "T"};
    map.extent = 1.0;
    map.cells.assign(4, std::vector<HeatMapCell>(57));
    for (int p = 0; p < 57; ++p) {
        map.positions.push_back(std::to_string(p + 1));
        for (int l = 0; l < 4; ++l) {
            HeatMapCell& cell = map.cells[static_cast<size_t>(l)][static_cast<size_t>(p)];
            cell.value = (p == 10 && l == 2) ? 1.0 : 0.1;
            cell.text = (p == 10 && l == 2) ? "+1.00" : "+0.10";
            cell.strong = p == 10 && l == 2;
        }
    }
    std::recursive_mutex mutex;
    ContrastMapView model(mutex);
    model.setMap(map);
    model.setVisible(true);
    ControlBinder binder;
    ContrastMapWindow window(model, binder);
    window.resize(1280, 400);
    window.show();
    binder.sync();
    QCoreApplication::processEvents();
    HeatMapWidget* heat = window.heatMap();
    // The last position's cell ends inside the widget, so nothing scrolls.
    EXPECT_LE(heat->cellRect(0, 56).right(), heat->width());
    EXPECT_LE(heat->width(), window.width());
    EXPECT_GE(heat->cellWidth(), 14);
    // The strongest cell's number is drawn, short, in a font that fits the cell.
    const QString shortText = QString::fromStdString(compactCellText("+1.00"));
    const QFont font = heat->numberFont(shortText, heat->cellWidth());
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(shortText) + 2, heat->cellWidth());

    const test::TempDir folder("motifora-heatmap");
    ASSERT_EQ(saveWidgetPicture(heat, QString::fromStdString(folder / "map.png")), "");
    EXPECT_EQ(QImage(QString::fromStdString(folder / "map.png")).size(),
              heat->size() * heat->devicePixelRatio());
    ASSERT_EQ(saveWidgetPicture(heat, QString::fromStdString(folder / "map.svg")), "");
    const SvgFacts svg = readSvg(folder / "map.svg");
    EXPECT_TRUE(svg.wellFormed);
    EXPECT_GE(svg.shapes, 4 * 57) << "every cell is drawn";
}

TEST(SequenceLogos, LettersStandAsHighAsTheirBitsAndTheWindowShowsEachLogo) {
    TMainForm::Logos logos;
    logos.logos.push_back(logoFromCounts({{10, 0, 0, 0}, {4, 4, 0, 0}}, "ACGT", "Sample"));
    logos.logos.push_back(logoFromCounts({{6, 0, 0, 0}, {0, 0, 6, 0}}, "ACGT", "Class 1"));
    logos.note = "No logo for classes with fewer than 5 sequences: 2.";
    std::recursive_mutex mutex;
    ValueControl<TMainForm::Logos> model(mutex);
    model.setValue(logos);
    model.setVisible(true);
    ControlBinder binder;
    LogoWindow window(model, binder);
    binder.sync();
    EXPECT_TRUE(window.isVisible());
    const QList<LogoWidget*> widgets = window.findChildren<LogoWidget*>();
    ASSERT_EQ(widgets.size(), 2);
    EXPECT_EQ(widgets[0]->logo(), logos.logos[0]);
    EXPECT_EQ(window.findChild<QLabel*>("LogoNote")->text().toStdString(), logos.note);

    LogoWidget* sample = widgets[0];
    sample->resize(400, sample->sizeHint().height());
    // The certain A stands bits/2 of the axis' height; the two halves of position 2 share
    // theirs equally, C under A.
    const QRectF a = sample->letterRect(0, 0);
    const QRectF c2 = sample->letterRect(1, 0), a2 = sample->letterRect(1, 1);
    EXPECT_NEAR(a.height(), 150 * logos.logos[0].columns[0].bits / 2.0, 1e-9);
    EXPECT_NEAR(c2.height(), a2.height(), 1e-9);
    EXPECT_NEAR(c2.top(), a2.bottom(), 1e-9);
    EXPECT_EQ(a.bottom(), c2.bottom()) << "every stack stands on the axis";
    EXPECT_TRUE(sample->letterRect(0, 1).isEmpty());
    EXPECT_TRUE(sample->letterRect(2, 0).isEmpty());

    const test::TempDir folder("motifora-logo");
    ASSERT_EQ(saveWidgetPicture(sample, QString::fromStdString(folder / "logo.png")), "");
    EXPECT_EQ(QImage(QString::fromStdString(folder / "logo.png")).size(),
              sample->size() * sample->devicePixelRatio());

    // A new set of logos replaces the old ones.
    logos.logos.pop_back();
    model.setValue(logos);
    binder.sync();
    EXPECT_EQ(window.findChildren<LogoWidget*>().size(), 1);
}

}  // namespace
}  // namespace motifora
