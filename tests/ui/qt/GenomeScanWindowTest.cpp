// The genome scan window's widgets: Start runs a scan whose hits, status and buttons appear at
// the next repaint; a header click sorts; the main window's Control menu opens the window and
// an empty workspace is refused with a message.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "../../classify/ClassifyTestSupport.h"
#include "WindowFixture.h"
#include "classify/Classificator.h"
#include "support/TempDir.h"
#include "ui/model/GenomeScanForm.h"
#include "ui/qt/GenomeScanWindow.h"

namespace motifora::testing {
namespace {

TEST(GenomeScanWindow, StartShowsHitsAndHeaderClicksSort) {
    TinyModel model;

    const test::TempDir folder("motifora-scanwindow");
    const std::string genome = folder.write("g.fa", ">fw\nCCACCCAC\n>rv\nGTTGGGT\n");

    GenomeScanForm form;
    form.GenomeEdit.setText(genome);
    form.LevelEdit.setText("1");
    form.StrandGroup.setItemIndex(1);
    GenomeScanWindow window(
        form, [&] { return form.Start(model.engine, model.storage->codeTable, "tiny.dnp"); });
    window.tick();
    auto* start = window.findChild<QPushButton*>("StartBtn");
    ASSERT_NE(start, nullptr);
    EXPECT_FALSE(window.findChild<QPushButton*>("ExportBedBtn")->isEnabled());
    start->click();
    form.WaitForEnd();
    window.tick();
    auto* hits = window.findChild<QTableView*>("HitsList");
    ASSERT_NE(hits, nullptr);
    // Four hits under the header: fw 2 and 6 on '+', rv 0 and 5 on '-'.
    ASSERT_EQ(hits->model()->rowCount(), 4);
    EXPECT_EQ(hits->model()->index(0, 1).data().toString(), "2");
    EXPECT_TRUE(window.findChild<QLabel*>("StatusLabel")->text().startsWith("Done: 2 records"));
    EXPECT_TRUE(window.findChild<QPushButton*>("ExportBedBtn")->isEnabled());

    emit hits->horizontalHeader()->sectionClicked(1);  // start, ascending
    window.tick();
    EXPECT_EQ(hits->model()->index(0, 1).data().toString(), "0");
    EXPECT_EQ(hits->model()->index(3, 1).data().toString(), "6");
    emit hits->horizontalHeader()->sectionClicked(1);  // again: descending
    window.tick();
    EXPECT_EQ(hits->model()->index(0, 1).data().toString(), "6");
}

class GenomeScanMenu : public WindowFixture {};

TEST_F(GenomeScanMenu, ControlMenuOpensTheWindowAndAnEmptyWorkspaceIsRefused) {
    QAction* scan = action("mmbtnScanGenome");
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->text(), "Scan Genome (FASTA)...");
    scan->trigger();
    auto* opened = window->findChild<GenomeScanWindow*>("GenomeScan");
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible());
    opened->findChild<QLineEdit*>("GenomeEdit")->setText("x.fa");
    emit opened->findChild<QLineEdit*>("GenomeEdit")->textEdited("x.fa");
    opened->findChild<QPushButton*>("StartBtn")->click();
    opened->tick();
    EXPECT_EQ(opened->findChild<QLabel*>("StatusLabel")->text(),
              "No classes yet: search for regularities and idealize first.");
}

}  // namespace
}  // namespace motifora::testing
