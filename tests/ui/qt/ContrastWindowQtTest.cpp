// The Rules page's "Regularities" choice through its widgets: the grid shown for each mode, a
// discriminative search started by the page's button, and the heat map window it opens (cells
// painted in the model's colours, tooltips, the close box).
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "WindowFixture.h"
#include "support/ContrastSamples.h"
#include "support/TempDir.h"
#include "ui/qt/ContrastMapWindow.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

class ContrastQtTest : public WindowFixture {
  protected:
    void loadSamples() {
        dialogs.choose(folder.write(
            "pos.seq", test::contrastSeqText(test::contrastRecords(true, 24, 10, 5), 'p')));
        trigger("mmbtnAddSequencies");
        dialogs.choose(folder.write(
            "neg.seq", test::contrastSeqText(test::contrastRecords(false, 24, 10, 5), 'n')));
        trigger("mmbtnAddNegativeSequencies");
        ASSERT_TRUE(form->mainManager->learnNegativeLoaded()) << lastMessage();
        dialogs.messages.clear();
    }
    QRadioButton* modeItem(int i) {
        return widget<QRadioButton>(i == 0 ? "RegularitiesGroupItem0" : "RegularitiesGroupItem1");
    }

    test::TempDir folder{"motifora-contrast-qt"};
};

TEST_F(ContrastQtTest, TheModeChoiceShowsTheGridOfItsRules) {
    auto* letters = widget<QTableView>("RulesList");
    auto* samples = widget<QTableView>("ContrastRulesList");
    ASSERT_TRUE(letters && samples && modeItem(0) && modeItem(1));
    EXPECT_TRUE(modeItem(0)->isChecked());
    EXPECT_TRUE(letters->isVisible());
    EXPECT_FALSE(samples->isVisible());
    EXPECT_FALSE(widget<QPushButton>("btnContrastMap")->isEnabled());

    modeItem(1)->click();
    EXPECT_EQ(form->RegularitiesGroup.itemIndex(), 1);
    EXPECT_TRUE(modeItem(1)->isChecked());
    EXPECT_FALSE(modeItem(0)->isChecked());
    EXPECT_FALSE(letters->isVisible());
    EXPECT_TRUE(samples->isVisible());
    EXPECT_EQ(widget<QLabel>("LowerGridLabel")->text(), QString("Discriminative Rules"));
    QStringList headers;
    for (int c = 0; c < samples->model()->columnCount(); ++c)
        headers << samples->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"#", "Fisher", "Rule", "CP", "Positives", "Negatives"}));

    modeItem(0)->click();
    EXPECT_TRUE(letters->isVisible());
    EXPECT_FALSE(samples->isVisible());
}

TEST_F(ContrastQtTest, TheStartButtonSearchesAndTheHeatMapWindowShowsTheRules) {
    loadSamples();
    modeItem(1)->click();
    widget<QPushButton>("btnStartSearchRules")->click();
    ASSERT_TRUE(waitFor([this] { return !dialogs.messages.empty(); }));
    EXPECT_NE(lastMessage().find("The discriminative search is finished"), std::string::npos)
        << lastMessage();
    const auto rules = form->mainManager->contrastRules();
    ASSERT_NE(rules, nullptr);
    ASSERT_FALSE(rules->rules.empty());
    auto* grid = widget<QTableView>("ContrastRulesList");
    ASSERT_EQ(grid->model()->rowCount(), static_cast<int>(rules->rules.size()));
    EXPECT_EQ(grid->model()->index(0, 2).data().toString().toStdString(),
              rules->conditionsText(rules->rules[0]));

    auto* open = widget<QPushButton>("btnContrastMap");
    ASSERT_TRUE(open->isEnabled());
    open->click();
    auto* mapWindow = widget<ContrastMapWindow>("ContrastMapWindow");
    ASSERT_NE(mapWindow, nullptr);
    ASSERT_TRUE(waitFor([mapWindow] { return mapWindow->isVisible(); }));
    HeatMapWidget* heat = mapWindow->heatMap();
    const HeatMap& map = heat->map();
    ASSERT_TRUE(map.shown);
    ASSERT_EQ(map.cells.size(), 4u);

    // The strongest cell is painted in its model colour; its tooltip is the model's tip.
    size_t bestLetter = 0, bestPosition = 0;
    for (size_t l = 0; l < map.cells.size(); ++l)
        for (size_t p = 0; p < map.cells[l].size(); ++p)
            if (std::fabs(map.cells[l][p].value) >
                std::fabs(map.cells[bestLetter][bestPosition].value)) {
                bestLetter = l;
                bestPosition = p;
            }
    const QRect cell = heat->cellRect(static_cast<int>(bestLetter), static_cast<int>(bestPosition));
    EXPECT_EQ(heat->cellAt(cell.center()),
              std::make_pair(static_cast<int>(bestLetter), static_cast<int>(bestPosition)));
    EXPECT_EQ(heat->cellAt(QPoint(-5, -5)), std::make_pair(-1, -1));
    const QImage image = heat->grab().toImage();
    const QColor painted = image.pixelColor(cell.topLeft() + QPoint(2, 2));
    EXPECT_EQ(painted.rgb() & 0xffffffu, map.cells[bestLetter][bestPosition].colour);
    EXPECT_EQ(map.cells[bestLetter][bestPosition].colour,
              map.cells[bestLetter][bestPosition].value > 0 ? 0xb2182bu : 0x2166acu);

    mapWindow->close();
    EXPECT_FALSE(form->ContrastMap.visible());
    open->click();
    ASSERT_TRUE(waitFor([mapWindow] { return mapWindow->isVisible(); }));
}

}  // namespace
}  // namespace motifora::testing
