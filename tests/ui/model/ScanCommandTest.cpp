// The scanning recognition through the window's command: it runs on the worker with the
// commands locked and Stop enabled, the timer shows its progress and draws the chart at its
// end, and a stop gives the commands back without a chart. Beside it: the chart's record marks,
// a click on a hit, and the logos of the learning sample and its classes.
#include <algorithm>

#include "FormFixture.h"
#include "core/SEQStorage.h"
#include "workspace/EvaluationReportSource.h"

namespace motifora::testing {
namespace {

const std::string kExamples = MOTIFORA_EXAMPLES_DIR;
const std::string kPositive = kExamples + "/promoters_pos.seq";
const std::string kNegative = kExamples + "/promoters_neg.seq";

class ScanCommandTest : public FormFixture {
  protected:
    // Shift positions, frame 8: classes, and the learning negatives as long control data.
    void prepare() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        form->FinishStorSizeEdit.setText("40");
        form->SubBuffersSizeEdit.setText("10");
        form->chooseAlignment(true);
        form->FrameWidthEdit.setText("8");
        form->btnStartSearchRulesClick();
        tickToEnd();
        form->setActivePage(Page::Objects);
        form->chooseIdealizationType(IdealizationType::kInsertingBegin);
        form->btnStartIdealizationClick();
        tickToEnd();
        ASSERT_GE(manager().classCount(), 1);
        dialogs.choose(kNegative);
        form->mmbtnAddControlNegativeClick();
        form->setActivePage(Page::Classes);
        form->IdealizObjectsList.select(1, 1);
        dialogs.messages.clear();
    }
    std::vector<bool> commandStates() {
        std::vector<bool> states;
        for (const Control* c : std::initializer_list<const Control*>{
                 &form->btnStartSearchRules, &form->btnStartIdealization, &form->Control1,
                 &form->btnStartSearchClass, &form->btnStopSearchClass, &form->btnStartBootstrap,
                 &form->btnStartRecognition, &form->btnCountRecErrors})
            states.push_back(c->enabled());
        return states;
    }
};

TEST_F(ScanCommandTest, ScanRunsOnTheWorkerAndTheTimerDrawsItsChart) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    const std::vector<bool> before = commandStates();
    int64_t windows = 0;
    for (int32_t i = 0; i < m.controlNegativeCount(); ++i)
        windows += m.controlNegative()[i].length - 7;

    m.holdNextStart();
    form->btnStartRecognitionClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(m.scanStarted());
    EXPECT_TRUE(form->Chart1.visible());
    EXPECT_FALSE(form->btnStartSearchRules.enabled());
    EXPECT_FALSE(form->btnStartRecognition.enabled());
    EXPECT_FALSE(form->Control1.enabled());
    EXPECT_TRUE(form->btnStopSearchClass.enabled());
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс распознавания ...");
    form->SearchingTimerTimer();  // held at its first window
    EXPECT_EQ(form->ScanProgress.position(), 0);
    EXPECT_EQ(form->StatusBar1.panel(2), "0 / " + std::to_string(windows));
    EXPECT_TRUE(form->Chart1.series(0).empty());

    m.releaseHeldStart();
    tickToEnd();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(m.scanStarted());
    EXPECT_EQ(commandStates(), before);
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    EXPECT_EQ(form->ScanProgress.position(), 0);
    ASSERT_EQ(m.windowScores().size(), static_cast<size_t>(windows));
    const Chart::Series scores = form->Chart1.series(0);
    ASSERT_EQ(scores.size(), static_cast<size_t>(windows));
    EXPECT_EQ(scores.back().first, static_cast<double>(windows));
    EXPECT_EQ(scores.back().second, m.windowScores().back());
    EXPECT_EQ(form->Chart1.series(1).size(), 2u);
    EXPECT_TRUE(form->RecLevelEdit.enabled());
    EXPECT_TRUE(form->SaveRecErrBtn.enabled());

    // The same class again: drawn at once from the kept scores, no worker.
    form->Chart1.clearSeries(0);
    form->btnStartRecognitionClick();
    EXPECT_FALSE(m.scanStarted());
    EXPECT_FALSE(m.workerActive());
    EXPECT_EQ(form->Chart1.series(0).size(), static_cast<size_t>(windows));
}

// The hit table and the chart's places name the record and the letters within it; the runs are
// those of the window scores taken record by record (a run never spans two records).
TEST_F(ScanCommandTest, HitTableAndChartNameRecordsAndPositions) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    EXPECT_FALSE(form->ScanHitsList.visible());
    form->btnStartRecognitionClick();
    tickToEnd();
    ASSERT_FALSE(m.windowScores().empty());
    EXPECT_TRUE(form->ScanHitsList.visible());
    const int32_t w = m.searchSettings().frameWidth;

    // Reference: the runs of each record, straight from the records and the window scores.
    const auto expectedRows = [&](double level) {
        std::vector<std::vector<std::string>> rows;
        size_t k = 0;
        for (int32_t r = 0; r < m.controlNegativeCount(); ++r) {
            const Sequence& seq = m.controlNegative()[static_cast<size_t>(r)];
            int64_t first = 0, last = 0, bestAt = 0;
            size_t firstK = 0, lastK = 0;
            double best = 0.0;
            bool open = false;
            const auto close = [&] {
                rows.push_back({seq.name, std::to_string(first), std::to_string(last + w - 1),
                                form->numbers().fixed(best, 2), std::to_string(bestAt),
                                std::to_string(firstK + 1) + "..." + std::to_string(lastK + 1)});
                open = false;
            };
            for (int64_t p = 1; p + w - 1 <= seq.length; ++p, ++k) {
                const double s = m.windowScores()[k];
                if (open && s < level) close();
                if (!open && s > level) {
                    open = true;
                    first = last = bestAt = p;
                    firstK = lastK = k;
                    best = s;
                } else if (open) {
                    last = p;
                    lastK = k;
                    if (s > best) best = s, bestAt = p;
                }
            }
            if (open) close();
        }
        return rows;
    };
    const auto shownRows = [&] {
        std::vector<std::vector<std::string>> rows;
        for (int32_t r = 1; r < form->ScanHitsList.rowCount(); ++r)
            rows.push_back(form->ScanHitsList.row(r));
        return rows;
    };
    double level = 0.0;
    ASSERT_TRUE(form->numbers().readReal(form->RecLevelEdit.text(), level));
    const auto atMid = expectedRows(level);
    ASSERT_FALSE(atMid.empty());
    EXPECT_EQ(shownRows(), atMid);
    EXPECT_EQ(
        form->ScanHitsList.row(0),
        (std::vector<std::string>{"Record", "Start", "End", "Best score", "Best at", "Chart"}));

    // A new level typed into "Recogn. Level" refills the table.
    const double higher = level + 1.0;
    form->RecLevelEdit.setText(form->numbers().fixed(higher, 2));
    form->ReCount2();
    EXPECT_EQ(shownRows(), expectedRows(higher));
    EXPECT_NE(shownRows(), atMid);

    // Chart positions run on across records; their places start again in each record.
    const Sequence& second = m.controlNegative()[1];
    const double firstOfSecond = static_cast<double>(m.controlNegative()[0].length - w + 2);
    EXPECT_EQ(form->scanPlaceText(1.0), m.controlNegative()[0].name + ", position 1");
    EXPECT_EQ(form->scanPlaceText(firstOfSecond - 1.0),
              m.controlNegative()[0].name + ", position " +
                  std::to_string(m.controlNegative()[0].length - w + 1));
    EXPECT_EQ(form->scanPlaceText(firstOfSecond), second.name + ", position 1");
    EXPECT_EQ(form->scanPlaceText(static_cast<double>(m.windowScores().size()) + 1.0), "");
    EXPECT_EQ(form->scanPlaceText(0.0), "");

    // The chart marks where each record's windows begin and draws the level as a line.
    EXPECT_TRUE(form->Chart1.levelSeries());
    const std::vector<Chart::Mark> marks = form->Chart1.marks();
    ASSERT_GE(marks.size(), 2u);
    EXPECT_EQ(marks[0], (Chart::Mark{0.5, m.controlNegative()[0].name}));
    EXPECT_EQ(marks[1], (Chart::Mark{firstOfSecond - 0.5, second.name}));

    // A click on the chart inside a hit's windows chooses its row and shows its letters.
    ASSERT_GE(form->ScanHitsList.rowCount(), 2);
    const int32_t lastRow = form->ScanHitsList.rowCount() - 1;
    const std::string windows = form->ScanHitsList.cell(5, lastRow);  // "a...b"
    const double firstWindow = std::stod(windows.substr(0, windows.find("...")));
    EXPECT_EQ(form->ScanChartClicked(firstWindow, 0.0), lastRow);
    EXPECT_EQ(form->ScanHitsList.selectionTop(), lastRow);
    const std::string record = form->ScanHitsList.cell(0, lastRow);
    const int64_t start = std::stoll(form->ScanHitsList.cell(1, lastRow));
    const int64_t end = std::stoll(form->ScanHitsList.cell(2, lastRow));
    const Sequence* hitRecord = nullptr;
    for (const Sequence& seq : m.controlNegative())
        if (seq.name == record) hitRecord = &seq;
    ASSERT_NE(hitRecord, nullptr);
    std::string letters = hitRecord->text.substr(static_cast<size_t>(start - 1),
                                                 static_cast<size_t>(end - start + 1));
    if (letters.size() > 120) letters = letters.substr(0, 120) + "...";
    EXPECT_EQ(form->ScanHitLetters.text(),
              record + " " + std::to_string(start) + ".." + std::to_string(end) + ": " + letters);
    // Away from every hit nothing is chosen; rows outside the table are refused.
    EXPECT_EQ(form->ScanChartClicked(0.0, 0.5), -1);
    EXPECT_EQ(form->ScanHitsList.selectionTop(), lastRow);
    EXPECT_FALSE(form->ShowScanHit(0));
    EXPECT_FALSE(form->ShowScanHit(lastRow + 1));
    ASSERT_TRUE(form->ShowScanHit(1));
    EXPECT_EQ(form->ScanHitsList.selectionTop(), 1);
    EXPECT_EQ(form->ScanHitLetters.text().rfind(form->ScanHitsList.cell(0, 1) + " ", 0), 0u);

    // A new workspace empties the table and forgets the places.
    form->newWorkspace();
    EXPECT_FALSE(form->ScanHitsList.visible());
    EXPECT_EQ(form->ScanHitsList.rowCount(), 1);
    EXPECT_EQ(form->scanPlaceText(1.0), "");
    EXPECT_TRUE(form->Chart1.marks().empty());
    EXPECT_EQ(form->ScanHitLetters.text(), "");
    EXPECT_FALSE(form->ShowScanHit(1));
}

// The logos: the whole learning sample, then each class with enough members; the classes left
// out are named.
TEST_F(ScanCommandTest, LogosOfTheSampleAndOfClassesWithEnoughMembers) {
    EXPECT_EQ(form->ShowLogos(), 0) << "no sample yet";
    EXPECT_FALSE(form->SequenceLogos.visible());
    ASSERT_NO_FATAL_FAILURE(prepare());
    const TMainManager& m = manager();
    const SEQStorage& s = *m.storage();
    std::vector<int32_t> members(static_cast<size_t>(m.classCount()), 0);
    for (int32_t j = 0; j < s.learnObjectCount; ++j) {
        const int32_t k = s.learnObjects[j].classNumber;
        if (k >= 0 && k < m.classCount()) ++members[static_cast<size_t>(k)];
    }
    std::vector<std::string> titles{"Learning sample (" + std::to_string(s.learnObjectCount) +
                                    " sequences)"};
    std::string few;
    for (int32_t k = 0; k < m.classCount(); ++k) {
        const int32_t n = members[static_cast<size_t>(k)];
        if (n >= kLogoMembers)
            titles.push_back("Class " + std::to_string(k + 1) + " (" + std::to_string(n) +
                             " sequences)");
        else
            few += (few.empty() ? "" : ", ") + std::to_string(k + 1);
    }
    EXPECT_EQ(form->ShowLogos(), static_cast<int32_t>(titles.size()));
    EXPECT_TRUE(form->SequenceLogos.visible());
    const TMainForm::Logos shown = form->SequenceLogos.value();
    std::vector<std::string> shownTitles;
    for (const SequenceLogo& logo : shown.logos) {
        shownTitles.push_back(logo.title);
        EXPECT_EQ(logo.columns.size(), static_cast<size_t>(s.width)) << logo.title;
        for (const LogoColumn& column : logo.columns)
            EXPECT_LE(column.bits, logo.maxBits + 1e-12) << logo.title;
    }
    EXPECT_EQ(shownTitles, titles);
    EXPECT_EQ(shown.note, few.empty()
                              ? std::string()
                              : "No logo for classes with fewer than " +
                                    std::to_string(kLogoMembers) + " sequences: " + few + ".");
    // The sample counts every learning object at each position.
    EXPECT_EQ(shown.logos[0].sequences, s.learnObjectCount);
    // The evaluation report draws the same classes (the largest first) and counts the others;
    // it draws logos in fixed positions only.
    int32_t leftOut = -1;
    const std::vector<ClassLogo> reported = largestClassLogos(m, m.classCount(), &leftOut);
    EXPECT_EQ(reported.size(), !m.searchSettings().shiftPositions() ? titles.size() - 1 : 0u);
    for (const ClassLogo& logo : reported) EXPECT_GE(logo.members, kLogoMinimumMembers);

    form->newWorkspace();
    EXPECT_FALSE(form->SequenceLogos.visible());
    EXPECT_TRUE(form->SequenceLogos.value().logos.empty());
}

TEST_F(ScanCommandTest, StopEndsTheScanWithoutAChart) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    const std::vector<bool> before = commandStates();
    m.holdNextStart();
    form->btnStartRecognitionClick();
    ASSERT_TRUE(m.scanStarted());
    form->btnStopSearchClassClick();
    tickToEnd();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(m.scanStarted());
    EXPECT_EQ(commandStates(), before);
    EXPECT_TRUE(form->Chart1.series(0).empty());
    EXPECT_TRUE(m.windowScores().empty());
    EXPECT_EQ(m.lastRecognitionClass(), -1);
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    // Not stale-proof by accident: the next click scans again.
    m.holdNextStart();
    form->btnStartRecognitionClick();
    EXPECT_TRUE(m.scanStarted());
    m.releaseHeldStart();
    tickToEnd();
    EXPECT_FALSE(form->Chart1.series(0).empty());
}

}  // namespace
}  // namespace motifora::testing
