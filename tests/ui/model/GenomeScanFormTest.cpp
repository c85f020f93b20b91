// The genome scan window as data: a scan on its thread fills the hit table, the record list and
// the chart; sorting, zoom, the exports and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "../../classify/ClassifyTestSupport.h"
#include "classify/Classificator.h"
#include "evaluation/Pipeline.h"
#include "io/ScanTracks.h"
#include "support/LearnedDiscriminative.h"
#include "support/TempDir.h"
#include "ui/model/GenomeScanForm.h"

namespace motifora::testing {
namespace {

namespace fs = std::filesystem;

class GenomeScanFormTest : public ::testing::Test {
  protected:
    std::string read(const std::string& name) { return test::readBytes(folder_ / name); }
    // Scans with level 1 on both strands and waits for the end.
    void scan() {
        form.GenomeEdit.setText(genome_);
        form.LevelEdit.setText("1");
        form.StrandGroup.setItemIndex(1);
        ASSERT_EQ(form.Start(model.engine, model.storage->codeTable, "tiny.dnp"),
                  kGenomeScanStarted);
        form.WaitForEnd();
        ASSERT_FALSE(form.Running());
    }

    test::TempDir folder_{"motifora-scanform"};
    const std::string genome_ = folder_.write("g.fa", ">fw\nCCACCC\n>rv\nGTTGGGT\n>short\nA\n");
    TinyModel model;
    GenomeScanForm form;
};

TEST_F(GenomeScanFormTest, ScanFillsHitsRecordsAndChart) {
    scan();
    const std::string ln4 = "1.386";  // ln 4 with three decimals
    ASSERT_EQ(form.HitsList.rowCount(), 4);
    EXPECT_EQ(form.HitsList.row(0),
              (std::vector<std::string>{"Record", "Start", "End", "Strand", "Class", "Score"}));
    EXPECT_EQ(form.HitsList.row(1), (std::vector<std::string>{"fw", "2", "4", "+", "1", ln4}));
    EXPECT_EQ(form.HitsList.row(2), (std::vector<std::string>{"rv", "0", "2", "-", "1", ln4}));
    EXPECT_EQ(form.HitsList.row(3), (std::vector<std::string>{"rv", "5", "7", "-", "1", ln4}));
    ASSERT_EQ(form.RecordsList.rowCount(), 4);
    EXPECT_EQ(form.RecordsList.row(2), (std::vector<std::string>{"rv", "7", "2"}));
    EXPECT_EQ(form.RecordsList.row(3), (std::vector<std::string>{"short", "1", "0"}));
    EXPECT_EQ(form.StatusLabel.text(),
              "Done: 3 records, 14 letters, 11 windows scored, 0 skipped, 3 hits");
    EXPECT_TRUE(form.StartBtn.enabled());
    EXPECT_FALSE(form.StopBtn.enabled());
    EXPECT_TRUE(form.ExportBedBtn.enabled());
    EXPECT_TRUE(form.ExportBedGraphBtn.enabled());
    EXPECT_EQ(form.Progress.position(), 1000);

    // The first record is charted: its five windows, "AC" at 2 scoring ln 4.
    const Chart::Series fw = form.ScoreChart.series(0);
    ASSERT_EQ(fw.size(), 5u);
    EXPECT_EQ(fw[2], (std::pair<double, double>(2.0, std::log(4.0))));
    form.ShowRecord(1);
    ASSERT_EQ(form.ScoreChart.series(0).size(), 6u);
    form.Zoom(4.0, 5.0);
    EXPECT_EQ(form.ScoreChart.series(0), (Chart::Series{{4.0, 0.0}, {5.0, std::log(4.0)}}));
    EXPECT_FALSE(form.ScoreChart.xAxis().automatic);
    EXPECT_EQ(form.ScoreChart.xAxis().minimum, 4.0);
    form.ZoomReset();
    EXPECT_EQ(form.ScoreChart.series(0).size(), 6u);
    EXPECT_TRUE(form.ScoreChart.xAxis().automatic);
}

TEST_F(GenomeScanFormTest, ChartNamesItsRecordAndDrawsTheLevel) {
    scan();
    EXPECT_EQ(form.ScoreChart.title(), "fw, 6 letters, level 1.000");
    EXPECT_TRUE(form.ScoreChart.levelSeries());
    EXPECT_EQ(form.ScoreChart.series(1), (Chart::Series{{0.0, 1.0}, {5.0, 1.0}}));
    form.ShowRecord(1);
    EXPECT_EQ(form.ScoreChart.title(), "rv, 7 letters, level 1.000");
    form.Zoom(4.0, 5.0);
    EXPECT_EQ(form.ScoreChart.series(1), (Chart::Series{{4.0, 1.0}, {5.0, 1.0}}))
        << "the level spans the part shown";
}

TEST_F(GenomeScanFormTest, ScoresReadWithThreeDecimals) {
    const std::pair<double, const char*> cases[] = {{std::log(4.0), "1.386"},
                                                    {-0.0004, "0.000"},
                                                    {-0.25, "-0.250"},
                                                    {12.34567, "12.346"},
                                                    {0.0, "0.000"}};
    for (const auto& [score, text] : cases) EXPECT_EQ(GenomeScanForm::scoreText(score), text);
}

TEST_F(GenomeScanFormTest, ClickedHitIsChartedAndSelected) {
    scan();
    ASSERT_TRUE(form.ShowHit(3));  // rv 5..7
    EXPECT_EQ(form.ScoreChart.title().substr(0, 3), "rv,");
    EXPECT_EQ(form.RecordsList.selectionTop(), 2);
    EXPECT_EQ(form.HitsList.selectionTop(), 3);
    EXPECT_FALSE(form.ScoreChart.xAxis().automatic);
    EXPECT_LE(form.ScoreChart.xAxis().minimum, 5.0);
    EXPECT_GE(form.ScoreChart.xAxis().maximum, 7.0);
    EXPECT_EQ(form.ScoreChart.series(0).size(), 6u) << "every window of rv lies in the room";
    for (int32_t row : {0, 4, -1}) EXPECT_FALSE(form.ShowHit(row)) << row;
    EXPECT_EQ(form.HitsList.selectionTop(), 3) << "a row with no hit changes nothing";
}

// The scan is held on its scoring thread until the test lets it go: the choices are locked
// meanwhile, and closing the window stops the scan.
TEST_F(GenomeScanFormTest, ClosingDuringAScanStopsItAndChoicesStayLockedMeanwhile) {
    std::promise<void> reached;
    std::once_flag once;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    form.setScoringStep([&] {
        std::call_once(once, [&] { reached.set_value(); });
        released.wait();
    });
    form.Window.setVisible(true);
    form.GenomeEdit.setText(genome_);
    form.LevelEdit.setText("1");
    ASSERT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanStarted);
    reached.get_future().wait();
    EXPECT_TRUE(form.Running());
    for (const Control* choice : std::initializer_list<const Control*>{
             &form.GenomeEdit, &form.ClassesEdit, &form.LevelEdit, &form.StrandGroup})
        EXPECT_FALSE(choice->enabled());
    EXPECT_FALSE(form.StartBtn.enabled());
    EXPECT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanRunning);

    form.Close();
    EXPECT_FALSE(form.Window.visible());
    release.set_value();
    form.WaitForEnd();
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.StatusLabel.text(), "Stopped.");
    for (const Control* choice : std::initializer_list<const Control*>{
             &form.GenomeEdit, &form.ClassesEdit, &form.LevelEdit, &form.StrandGroup})
        EXPECT_TRUE(choice->enabled());
    EXPECT_TRUE(form.StartBtn.enabled());
}

TEST_F(GenomeScanFormTest, SortingKeepsTheScanOrderAmongEquals) {
    scan();
    form.SortHits(1, false);  // start, descending
    EXPECT_EQ(form.HitsList.cell(1, 1), "5");
    EXPECT_EQ(form.HitsList.cell(1, 2), "2");
    EXPECT_EQ(form.HitsList.cell(1, 3), "0");
    form.SortHits(3, true);  // strand: '+' first, the two '-' hits keep their order
    EXPECT_EQ(form.HitsList.cell(0, 1), "fw");
    EXPECT_EQ(form.HitsList.cell(1, 2), "5");
    EXPECT_EQ(form.HitsList.cell(1, 3), "0");
    form.SortHits(0, true);
    EXPECT_EQ(form.HitsList.cell(0, 1), "fw");
    EXPECT_EQ(form.HitsList.cell(0, 3), "rv");
}

TEST_F(GenomeScanFormTest, ExportsWriteEveryHitAndWindow) {
    EXPECT_EQ(form.ExportBed(folder_ / "x.bed"), kGenomeScanNothing);
    scan();
    ASSERT_EQ(form.ExportBed(folder_ / "hits.bed"), kGenomeScanStarted);
    form.WaitForEnd();
    ASSERT_EQ(form.ExportBedGraph(folder_ / "scores.bedGraph"), kGenomeScanStarted);
    form.WaitForEnd();
    const std::string ln4 = formatTrackNumber(std::log(4.0));
    EXPECT_EQ(read("hits.bed"),
              "track name=\"tiny.dnp\" description=\"Motifora hits of tiny.dnp (classes 1, "
              "strand both, level 1)\"\n"
              "fw\t2\t4\tclass1\t" +
                  ln4 +
                  "\t+\n"
                  "rv\t0\t2\tclass1\t" +
                  ln4 +
                  "\t-\n"
                  "rv\t5\t7\tclass1\t" +
                  ln4 + "\t-\n");
    const std::string graph = read("scores.bedGraph");
    EXPECT_EQ(std::count(graph.begin(), graph.end(), '\n'), 1 + 11);
    EXPECT_NE(graph.find("\nfw\t2\t3\t" + ln4 + "\n"), std::string::npos) << graph;
    EXPECT_EQ(form.StatusLabel.text(), "Written: " + folder_ / "scores.bedGraph");
}

TEST_F(GenomeScanFormTest, RefusalsChangeNothing) {
    EXPECT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanNoFile);
    EXPECT_EQ(form.StatusLabel.text(), "Choose the genome (a FASTA file) to scan first.");
    form.GenomeEdit.setText(genome_);
    form.ClassesEdit.setText("one");
    EXPECT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanBadClasses);
    // Every refusal of the class list says why, as the model's own refusals do.
    for (const char* classes : {"one", "1-3x", "0", "3-1", "1,,2"}) {
        SCOPED_TRACE(classes);
        form.ClassesEdit.setText(classes);
        form.StatusLabel.setText("");
        EXPECT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanBadClasses);
        EXPECT_EQ(form.StatusLabel.text().rfind(
                      "Classes: \"" + std::string(classes) + "\" is not a list of classes; ", 0),
                  0u)
            << form.StatusLabel.text();
    }
    form.ClassesEdit.setText("2");
    EXPECT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanRefused);
    EXPECT_EQ(form.StatusLabel.text(), "class 2 does not exist (the model holds 1 classes)");
    form.ClassesEdit.setText("");
    form.LevelEdit.setText("1.5.");
    EXPECT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanBadLevel);
    EXPECT_EQ(form.StatusLabel.text().rfind("Level: \"1.5.\" is not a number", 0), 0u);
    EXPECT_EQ(form.HitsList.rowCount(), 1);
    EXPECT_FALSE(form.ExportBedBtn.enabled());

    // Without a level there are scores but no hits, and no BED to export.
    form.LevelEdit.setText("");
    ASSERT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanStarted);
    form.WaitForEnd();
    EXPECT_EQ(form.HitsList.rowCount(), 1);
    EXPECT_FALSE(form.ExportBedBtn.enabled());
    EXPECT_EQ(form.ExportBed(folder_ / "x.bed"), kGenomeScanBadLevel);
    EXPECT_FALSE(fs::exists(folder_ / "x.bed"));
}

}  // namespace
}  // namespace motifora::testing

namespace motifora::testing {
namespace {

// The window's discriminative scan: hits named for the score, the exports' track lines, and a
// class list refused.
TEST(GenomeScanFormDiscriminative, ScoresWithTheRulesAndNamesTheScore) {
    auto scorer =
        std::make_shared<const ContrastScorer>(test::learnedDiscriminative("window scan", 41u, 10));
    ASSERT_GT(scorer->rules.rules.size(), 0u);
    test::TempDir folder("motifora-scanform-discriminative");
    const std::string genome = folder.write("g.fa", ">g\nACGTTATAATGCATTATAATCCGANNACGT\n");
    GenomeScanForm form;
    form.GenomeEdit.setText(genome);
    form.ClassesEdit.setText("1");
    form.ScoreGroup.setItemIndex(1);
    EXPECT_EQ(form.StartDiscriminative(scorer, "m.dnp"), kGenomeScanRefused);
    EXPECT_EQ(form.StatusLabel.text(),
              "The discriminative score has no classes: clear the class list.");
    EXPECT_FALSE(form.ExportBedBtn.enabled());

    form.ClassesEdit.setText("");
    Sequence planted;
    planted.assign("GTTATAATGC", "w", 1);
    const double level = scorer->score(planted);
    form.LevelEdit.setText(formatTrackNumber(level));
    ASSERT_EQ(form.StartDiscriminative(scorer, "m.dnp"), kGenomeScanStarted);
    form.WaitForEnd();
    ASSERT_GE(form.HitsList.rowCount(), 2);
    bool plantedFound = false;
    for (int32_t r = 1; r < form.HitsList.rowCount(); ++r) {
        const std::vector<std::string> row = form.HitsList.row(r);
        EXPECT_EQ(row[4], "discriminative");
        EXPECT_GE(std::stod(row[5]), level - 0.0005);  // written with three decimals
        plantedFound = plantedFound || (row[1] == "2" && row[3] == "+");
    }
    EXPECT_TRUE(plantedFound);
    const std::string bed = (folder.root() / "hits.bed").string();
    ASSERT_EQ(form.ExportBed(bed), kGenomeScanStarted);
    form.WaitForEnd();
    const std::string written = test::readBytes(bed);
    EXPECT_NE(written.find("(discriminative score, strand +, level "), std::string::npos);
    EXPECT_NE(written.find("\tdiscriminative\t"), std::string::npos);
}

}  // namespace
}  // namespace motifora::testing
