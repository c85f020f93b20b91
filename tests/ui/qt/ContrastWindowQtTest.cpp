// The Rules page's "Regularities" choice through its widgets: the grid shown for each mode, a
// discriminative search started by the page's button, and the heat map window it opens (cells
// painted in the model's colours, tooltips, the close box).
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <filesystem>

#include "WindowFixture.h"
#include "core/FileManager.h"
#include "evaluation/Background.h"
#include "support/ContrastSamples.h"
#include "support/TempDir.h"
#include "ui/qt/ContrastMapWindow.h"
#include "ui/qt/NegativesDialog.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

class ContrastQtTest : public WindowFixture {
  protected:
    // Loads the learning positives (and, when `negatives`, the negatives) the rules are made of.
    void loadSamples(bool negatives = true) {
        dialogs.choose(folder.write(
            "pos.seq", test::contrastSeqText(test::contrastRecords(true, 24, 10, 5), 'p')));
        trigger("mmbtnAddSequencies");
        ASSERT_TRUE(form->mainManager->learnPositiveLoaded()) << lastMessage();
        if (negatives) {
            dialogs.choose(folder.write(
                "neg.seq", test::contrastSeqText(test::contrastRecords(false, 24, 10, 5), 'n')));
            trigger("mmbtnAddNegativeSequencies");
            ASSERT_TRUE(form->mainManager->learnNegativeLoaded()) << lastMessage();
        }
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

// "Generate negatives..." on the Rules page: the dialog gathers the request, the model makes and
// loads the sample, and its message says what was made or why nothing was.
class NegativesQtTest : public ContrastQtTest {
  protected:
    NegativesDialog* openDialog() {
        auto* button = widget<QPushButton>("btnGenerateNegatives");
        EXPECT_TRUE(button != nullptr && button->isVisible());
        if (button == nullptr) return nullptr;
        button->click();
        return window->negativesDialog();
    }
    template <class W>
    W* in(NegativesDialog* dialog, const char* name) {
        W* w = dialog->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no widget named " << name;
        return w;
    }
    QPushButton* ok(NegativesDialog* dialog) {
        return in<QDialogButtonBox>(dialog, "NegButtons")->button(QDialogButtonBox::Ok);
    }
};

TEST_F(NegativesQtTest, ShuffledPositivesAreWrittenWhereTheDialogSaysAndLoaded) {
    loadSamples(false);
    NegativesDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    // Nothing to write to yet: OK waits for the file.
    EXPECT_FALSE(ok(dialog)->isEnabled());
    EXPECT_TRUE(in<QSpinBox>(dialog, "NegKEdit")->isEnabled());
    EXPECT_FALSE(in<QLineEdit>(dialog, "NegGenomeEdit")->isEnabled());
    in<QSpinBox>(dialog, "NegCountEdit")->setValue(20);
    in<QSpinBox>(dialog, "NegKEdit")->setValue(3);
    in<QSpinBox>(dialog, "NegSeedEdit")->setValue(7);
    // The output file through the save chooser the model's own command would show.
    const std::string made = folder.path("made.seq");
    dialogs.choose(made);
    in<QPushButton>(dialog, "NegOutputBrowse")->click();
    ASSERT_FALSE(dialogs.files.empty());
    EXPECT_TRUE(dialogs.files.back().save);
    EXPECT_EQ(dialogs.files.back().request.dialog, "GenerateNegDlg");
    EXPECT_EQ(in<QLineEdit>(dialog, "NegOutputEdit")->text().toStdString(), made);
    ASSERT_TRUE(ok(dialog)->isEnabled());
    ok(dialog)->click();
    EXPECT_FALSE(dialog->isVisible());

    ASSERT_TRUE(form->mainManager->learnNegativeLoaded()) << lastMessage();
    EXPECT_EQ(form->mainManager->learnNegativeCount(), 20);
    EXPECT_EQ(form->samplePaths.learnNegative, made);
    const std::vector<Sequence> expected =
        shuffledNegatives(form->mainManager->learnPositive(), 20, 3, 7);
    std::vector<Sequence> written;
    ASSERT_TRUE(readSeqFile(made, written).ok);
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < written.size(); ++i) EXPECT_EQ(written[i].text, expected[i].text);
    EXPECT_EQ(lastMessage(), "20 shuffles of the learning positives were written to " + made +
                                 " and loaded as the learning negative sample.");
    // Closed once accepted, and gone at the next deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->negativesDialog(), nullptr);
}

TEST_F(NegativesQtTest, AGenomeThatCannotBeReadIsRefusedWithTheModelsReason) {
    loadSamples(false);
    NegativesDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    in<QRadioButton>(dialog, "NegGenomeRadio")->click();
    EXPECT_FALSE(in<QSpinBox>(dialog, "NegKEdit")->isEnabled());
    in<QLineEdit>(dialog, "NegOutputEdit")->setText(QString::fromStdString(folder.path("g.seq")));
    // A genome source needs its genome before OK.
    EXPECT_FALSE(ok(dialog)->isEnabled());
    const std::string missing = folder.path("missing.fa");
    dialogs.choose(missing);
    in<QPushButton>(dialog, "NegGenomeBrowse")->click();
    ASSERT_FALSE(dialogs.files.empty());
    EXPECT_FALSE(dialogs.files.back().save);
    EXPECT_EQ(in<QLineEdit>(dialog, "NegGenomeEdit")->text().toStdString(), missing);
    ASSERT_TRUE(ok(dialog)->isEnabled());
    ok(dialog)->click();
    EXPECT_EQ(lastMessage().rfind("The genome cannot be read: ", 0), 0u) << lastMessage();
    EXPECT_FALSE(form->mainManager->learnNegativeLoaded());
    EXPECT_FALSE(std::filesystem::exists(folder.path("g.seq")));
}

TEST_F(NegativesQtTest, WithoutPositivesTheModelRefusesAndCancelMakesNothing) {
    NegativesDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    // A second click brings the open dialog forward instead of opening another.
    widget<QPushButton>("btnGenerateNegatives")->click();
    EXPECT_EQ(window->findChildren<NegativesDialog*>().size(), 1);
    in<QLineEdit>(dialog, "NegOutputEdit")->setText(QString::fromStdString(folder.path("n.seq")));
    in<QDialogButtonBox>(dialog, "NegButtons")->button(QDialogButtonBox::Cancel)->click();
    EXPECT_TRUE(dialogs.messages.empty());
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    in<QLineEdit>(dialog, "NegOutputEdit")->setText(QString::fromStdString(folder.path("n.seq")));
    ok(dialog)->click();
    EXPECT_EQ(lastMessage(), "First load postive sampling.");
    EXPECT_FALSE(std::filesystem::exists(folder.path("n.seq")));
}

}  // namespace
}  // namespace motifora::testing
