// The score of the main window's scan chosen beside the Recognition command: the discriminative
// rules of the Rules page refused with the reason while there are none, then charted and listed
// with the scores the engine gives every window, and named in the long-sequence report.
#include <string>
#include <vector>

#include "FormFixture.h"
#include "evaluation/Pipeline.h"
#include "genome/RecordWindows.h"
#include "support/ContrastSamples.h"
#include "support/Seed.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

class ScanScoreTest : public FormFixture {
  protected:
    // Learning positives and negatives 10 wide, the letters' rules, and control records three
    // to six times as long (scanned window by window).
    void prepare() {
        const uint32_t seed = test::testSeed("scan score samples", 20261208);
        const auto positives = test::contrastRecords(true, 24, 10, seed);
        const auto negatives = test::contrastRecords(false, 24, 10, seed);
        dialogs.choose(folder.write("pos.seq", test::contrastSeqText(positives, 'p')));
        form->mmbtnAddSequenciesClick();
        dialogs.choose(folder.write("neg.seq", test::contrastSeqText(negatives, 'n')));
        form->mmbtnAddNegativeSequenciesClick();
        form->FinishStorSizeEdit.setText("40");
        form->SubBuffersSizeEdit.setText("10");
        form->btnStartSearchRulesClick();
        tickToEnd();
        std::vector<std::string> control;
        for (size_t i = 0; i + 5 < positives.size(); i += 6)
            control.push_back(negatives[i] + positives[i] + negatives[i + 1] + positives[i + 2] +
                              negatives[i + 3]);
        control.push_back(positives[5] + negatives[5] + positives[6]);
        dialogs.choose(folder.write("control.seq", test::contrastSeqText(control, 'c')));
        form->mmbtnAddControlNegativeClick();
        ASSERT_TRUE(manager().longControl()) << lastMessage().text;
        form->setActivePage(Page::Classes);
        dialogs.messages.clear();
        dialogs.texts(true);
    }

    test::TempDir folder{"motifora-scan-score"};
};

TEST_F(ScanScoreTest, TheDiscriminativeChoiceChartsTheRulesScoresAndNamesThemInTheReport) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    EXPECT_EQ(form->ScanScoreGroup.items(),
              (std::vector<std::string>{"Class score", "Discriminative score"}));
    EXPECT_EQ(form->ScanScoreGroup.itemIndex(), 0);

    // No discriminative rules yet: refused, and the message says what to do.
    form->ScanScoreGroup.setItemIndex(1);
    form->btnStartRecognitionClick();
    EXPECT_FALSE(m.scanStarted());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text, m.scanError());
    EXPECT_NE(lastMessage().text.find("search them on the Rules page"), std::string::npos);
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_TRUE(form->Chart1.series(0).empty());

    form->setActivePage(Page::Rules);
    form->RegularitiesGroupClick(1);
    form->btnStartSearchRulesClick();
    tickToEnd();
    ASSERT_TRUE(m.contrastRules());
    form->setActivePage(Page::Classes);
    dialogs.messages.clear();

    form->btnStartRecognitionClick();
    EXPECT_TRUE(m.scanStarted());
    EXPECT_TRUE(tickToEnd().empty());
    EXPECT_EQ(m.windowScore(), ScoreKind::kDiscriminative);
    std::vector<double> expected;
    ASSERT_TRUE(scoreDiscriminativeWindows(*m.contrastRules(), m.controlNegative().data(),
                                           m.controlNegativeCount(), RecordWindowScan(), expected));
    EXPECT_EQ(m.windowScores(), expected);
    const Chart::Series scores = form->Chart1.series(0);
    ASSERT_EQ(scores.size(), expected.size());
    for (size_t k = 0; k < scores.size(); ++k) EXPECT_EQ(scores[k].second, expected[k]) << k;
    // The hit table's windows are the rules' width: the planted positives stand out above the
    // level the chart proposes.
    ASSERT_GT(form->ScanHitsList.rowCount(), 1);
    ASSERT_TRUE(form->ShowScanHit(1));
    const std::string start = form->ScanHitsList.cell(1, 1);
    const std::string end = form->ScanHitsList.cell(2, 1);
    EXPECT_GE(std::stoi(end) - std::stoi(start) + 1, m.contrastRules()->width);

    dialogs.choose(folder.path("discriminative.html"));
    form->SaveRecErrBtnClick();
    const std::string report = test::readBytes(folder.path("discriminative.html"));
    EXPECT_NE(report.find("<BR>Recognition Level =  " + form->RecLevelEdit.text() +
                          "\n<BR>Score = discriminative\n<BR><BR> \n"),
              std::string::npos)
        << report;
}

}  // namespace
}  // namespace motifora::testing
