// Tests of the HTML reports: golden files of both reports and both error-report modes, the
// level filter, the runs of the long-sequence report and unreadable numbers.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "GoldenFile.h"
#include "io/HtmlReports.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

using testing::golden;
using testing::readBytes;

const std::vector<std::string> kSequenceHeader = {"#",       "Length", "Name",  "Sequence",
                                                  "Class №", "Score",  "Result"};

std::vector<std::string> seqRow(const std::string& n, const std::string& name,
                                const std::string& cls, const std::string& score,
                                const std::string& result) {
    return {n, "57", name, "ACGT", cls, score, result};
}

ErrorReportSource oneClassSource() {
    ErrorReportSource s;
    s.recognitionLevel = "20,00";
    s.firstLevelError = "0,33333333";
    s.firstErrorCount = "Recognized 2 out of 3";
    s.secondLevelError = "0,25000000";
    s.secondErrorCount = "Recognized 1 out of 4";
    s.idealObjects = {3, {{"#", "Length", "Object"}, {"1", "0", "-[A]-"}, {"2", "0", "-[C]-"}}};
    s.controlNegative = {
        7,
        {kSequenceHeader, seqRow("1", "neg1", "1", "10,00", "-NotRecognized"),
         seqRow("2", "neg2", "1", "9,99", "-NotRecognized"), seqRow("3", "neg3", "2", "", ""),
         seqRow("4", "neg4", "1", "25,50", "+Recognized")}};
    s.learnPositive = {
        7,
        {kSequenceHeader, seqRow("1", "pos1", "1", "27,00", "+Recognized"),
         seqRow("2", "pos2", "1", "12,00", "-NotRecognized"),
         seqRow("3", "pos3", "1", "33,00", "+Recognized"), seqRow("4", "pos4", "2", "", "")}};
    s.controlPositive = {5, {{"#", "Length", "Name", "Sequence", "Class №"}, {}}};
    return s;
}

ErrorReportSource severalClassesSource() {
    ErrorReportSource s;
    s.recognitionLevel = "8,00";  // the last class counted; not used in this mode
    s.firstLevelError = "0,25000000";
    s.firstErrorCount = "Recognized 3 out of 4";
    s.secondLevelError = "0,33333333";
    s.secondErrorCount = "Recognized 2 out of 6";
    s.idealObjects = {6,
                      {{"#", "Length", "Object"},
                       {"1", "0", "-[A]-", "20,00", "1", "1"},
                       {"2", "0", "-[C]-", "", "", ""},
                       {"3", "0", "-[G]-", "8,00", "0", "1"}}};
    s.controlNegative = {7,
                         {kSequenceHeader, seqRow("1", "n1", "1", "10,00", "-NotRecognized"),
                          seqRow("2", "n2", "1", "9,99", "-NotRecognized"),
                          seqRow("3", "n3", "3", "4,00", "-NotRecognized"),
                          seqRow("4", "n4", "3", "3,00", "-NotRecognized"),
                          seqRow("5", "n5", "New", "50,00", "-NotRecognized"),
                          seqRow("6", "n6", "2", "30,00", "-NotRecognized")}};
    s.learnPositive = {7, {kSequenceHeader, seqRow("1", "pos1", "1", "27,00", "+Recognized")}};
    s.controlPositive = {
        7,
        {kSequenceHeader, seqRow("1", "cp1", "1", "21,00", "+Recognized"),
         seqRow("2", "cp2", "2", "", ""), seqRow("3", "cp3", "3", "7,50", "-NotRecognized")}};
    return s;
}

std::string errorHtml(const ErrorReportSource& source, char separator = ',') {
    std::string html;
    const Status status = ErrorReportHtml(source, NumberFormat(separator), html);
    EXPECT_TRUE(status.ok) << status.message;
    return html;
}

std::string longHtml(const LongSeqReportSource& source, char separator = ',') {
    std::string html;
    const Status status = LongSeqReportHtml(source, NumberFormat(separator), html);
    EXPECT_TRUE(status.ok) << status.message;
    return html;
}

TEST(ErrorReport, OneClassModeMatchesTheGoldenFile) {
    EXPECT_EQ(errorHtml(oneClassSource()), golden("error_one_class.html"));
}

TEST(ErrorReport, SeveralClassesModeMatchesTheGoldenFile) {
    EXPECT_EQ(errorHtml(severalClassesSource()), golden("error_several_classes.html"));
}

TEST(ErrorReport, HalfTheLevelIsTheBoundaryOfTheControlRows) {
    ErrorReportSource s = oneClassSource();
    const std::string html = errorHtml(s);
    EXPECT_NE(html.find("<TD>10,00      </TD>"), std::string::npos);  // 10 >= 20 x 0.5
    EXPECT_EQ(html.find("<TD>9,99      </TD>"), std::string::npos);
    s.recognitionLevel = "19,98";  // 9,99 now reaches half the level
    EXPECT_NE(errorHtml(s).find("<TD>neg2      </TD>"), std::string::npos);
}

TEST(ErrorReport, WithoutScoredControlRowsTheTableHoldsTheHeadingsAndTheLearningRows) {
    ErrorReportSource s = oneClassSource();
    for (size_t r = 1; r < s.controlNegative.rows.size(); ++r) s.controlNegative.rows[r][5].clear();
    const std::string html = errorHtml(s);
    const std::string table = html.substr(html.find("<TABLE BORDER>\n"));
    EXPECT_EQ(table.find(
                  "    <TR>\n      <TD ALIGN=middle COLSPAN=5>Control Data      </TD\n>    </TR>\n"
                  "    <TR>\n      <TD ALIGN=middle COLSPAN=5>Learning Data      </TD\n>    </TR>\n"
                  "    <TR>\n      <TD>1      </TD>\n      <TD>pos1"),
              std::string("<TABLE BORDER>\n").size());
}

TEST(ErrorReport, NumbersShownBeforeASeparatorSwitchAreStillRead) {
    // The separator is a full stop now; the grid was filled while it was a comma.
    EXPECT_EQ(errorHtml(oneClassSource(), '.'), golden("error_one_class.html"));
    ErrorReportSource s = oneClassSource();
    s.recognitionLevel = "20.00";
    const std::string html = errorHtml(s, ',');
    EXPECT_NE(html.find("<TD>neg1      </TD>"), std::string::npos);
    EXPECT_EQ(html.find("<TD>neg2      </TD>"), std::string::npos);
}

TEST(ErrorReport, AnEmptyLevelCountsAsZero) {
    ErrorReportSource s = oneClassSource();
    s.recognitionLevel = "";
    const std::string html = errorHtml(s);
    EXPECT_NE(html.find("<BR>Recognition Level =  \n"), std::string::npos);
    EXPECT_NE(html.find("<TD>neg2      </TD>"), std::string::npos);
}

TEST(ErrorReport, UnreadableLevelsAndScoresAreReportedAndNothingIsWritten) {
    struct Case {
        const char* what;
        std::function<void(ErrorReportSource&)> damage;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"level", [](ErrorReportSource& s) { s.recognitionLevel = "twenty"; },
         "\"twenty\" is not a number"},
        {"score", [](ErrorReportSource& s) { s.controlNegative.rows[2][5] = "9;99"; },
         "\"9;99\" in row 2 of \"Negative Control Sequencies\""},
        {"class level",
         [](ErrorReportSource& s) {
             s = severalClassesSource();
             s.idealObjects.rows[3][3] = "eight";
         },
         "\"eight\" of class 3"},
    };
    const test::TempDir folder("motifora-io-html-bad");
    const std::filesystem::path& dir = folder.root();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ErrorReportSource s = oneClassSource();
        c.damage(s);
        const std::string name = (dir / "r.html").string();
        const Status status = WriteErrorReport(name, s, NumberFormat(','));
        EXPECT_FALSE(status.ok);
        EXPECT_NE(status.message.find(c.message), std::string::npos) << status.message;
        EXPECT_NE(status.message.find(name), std::string::npos) << status.message;
        EXPECT_FALSE(std::filesystem::exists(name));
    }
}

TEST(ErrorReport, LearningRowsComeFromTheControlPositiveGridWhenItHoldsData) {
    ErrorReportSource s = oneClassSource();
    s.controlPositive = {7, {kSequenceHeader, seqRow("1", "cp1", "1", "5,00", "-NotRecognized")}};
    const std::string html = errorHtml(s);
    EXPECT_NE(html.find("<TD>cp1      </TD>"), std::string::npos);
    EXPECT_EQ(html.find("<TD>pos1      </TD>"), std::string::npos);
}

LongSeqReportSource longSource(std::vector<double> scores, std::string level = "4,00") {
    LongSeqReportSource s;
    s.recognitionLevel = std::move(level);
    s.controlNegative = {
        5, {{"#", "Length", "Name", "Sequence", "Class №"}, {"1", "5000", "chr1", "ACGT", ""}}};
    s.scores = std::move(scores);
    return s;
}

TEST(LongSeqReport, MatchesTheGoldenFile) {
    EXPECT_EQ(longHtml(longSource({1, 5, 6, 2, 7, 7, 1})), golden("long_seq.html"));
}

TEST(LongSeqReport, RunsOfTheScores) {
    struct Case {
        const char* what;
        std::vector<double> scores;
        double level;
        std::vector<ScoreRun> runs;
    };
    const std::vector<Case> cases = {
        {"two runs", {1, 5, 6, 2, 7, 7, 1}, 4, {{2, 3, 6}, {5, 6, 7}}},
        {"single point", {1, 1, 9, 0}, 4, {{3, 3, 9}}},
        {"equal to the level neither opens nor ends", {4, 5, 4, 4, 6, 3}, 4, {{2, 5, 6}}},
        {"a dip to the level keeps the run", {5, 4, 8, 1}, 4, {{1, 3, 8}}},
        {"open at the last point ends there", {1, 5, 9, 6}, 4, {{2, 4, 9}}},
        {"last point alone", {1, 1, 5}, 4, {{3, 3, 5}}},
        {"nothing above", {1, 2, 4, 3}, 4, {}},
        {"no points", {}, 4, {}},
        {"negative level", {-5, -1, -6}, -2, {{2, 2, -1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<ScoreRun> runs = FindScoreRuns(c.scores, c.level);
        ASSERT_EQ(runs.size(), c.runs.size());
        for (size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].start, c.runs[i].start);
            EXPECT_EQ(runs[i].end, c.runs[i].end);
            EXPECT_EQ(runs[i].maximum, c.runs[i].maximum);
        }
    }
}

TEST(LongSeqReport, MaximumIsPrintedWithSixDecimalsAndAPoint) {
    const std::string html = longHtml(longSource({0, 12.3456789, 0}, "1,5"));
    EXPECT_NE(html.find("<TD>2...2      </TD>\n      <TD>12.345679      </TD>"), std::string::npos)
        << html;
}

TEST(LongSeqReport, UnreadableLevelIsReported) {
    std::string html;
    const Status status = LongSeqReportHtml(longSource({1, 5}, "4,0,0"), NumberFormat(','), html);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("\"4,0,0\""), std::string::npos);
}

TEST(HtmlReports, FilesAreWrittenWhole) {
    const test::TempDir folder("motifora-io-html");
    const std::filesystem::path& dir = folder.root();
    const std::string report = (dir / "results.html").string();
    ASSERT_TRUE(WriteErrorReport(report, oneClassSource(), NumberFormat(',')).ok);
    EXPECT_EQ(readBytes(report), golden("error_one_class.html"));
    ASSERT_TRUE(
        WriteLongSeqReport(report, longSource({1, 5, 6, 2, 7, 7, 1}), NumberFormat(',')).ok);
    EXPECT_EQ(readBytes(report), golden("long_seq.html"));
    const Status status = WriteLongSeqReport(dir.string(), longSource({1}), NumberFormat(','));
    EXPECT_FALSE(status.ok);  // a folder cannot be replaced by a report
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST(ErrorReport, TextsFromTheDataAreEscaped) {
    ErrorReportSource s = oneClassSource();
    s.controlNegative.rows[1][2] = "<svg/onload=alert(document.domain)";
    s.learnPositive.rows[1][2] = "a&b\"c\"";
    s.firstErrorCount = "<b>";
    const std::string html = errorHtml(s);
    EXPECT_EQ(html.find("<svg"), std::string::npos);
    EXPECT_NE(html.find("<TD>&lt;svg/onload=alert(document.domain)      </TD>"), std::string::npos)
        << html;
    EXPECT_NE(html.find("<TD>a&amp;b&quot;c&quot;      </TD>"), std::string::npos);
    EXPECT_NE(html.find("<BR>&lt;b&gt;\n"), std::string::npos);

    LongSeqReportSource l = longSource({1, 5, 1});
    l.controlNegative.rows[1][2] = "<script>x</script>";
    const std::string longReport = longHtml(l);
    EXPECT_EQ(longReport.find("<script>"), std::string::npos);
    EXPECT_NE(longReport.find("<TD>&lt;script&gt;x&lt;/script&gt;      </TD>"), std::string::npos);
}

TEST(ErrorReport, AfterARecognitionOfAllClassesNoControlRowIsListed) {
    // The control negative grid as a recognition of two classes leaves it: "class:score" cells
    // under the headers "1" and "2", and no error count yet (empty level and errors).
    ErrorReportSource s = oneClassSource();
    s.recognitionLevel.clear();
    s.controlNegative = {7,
                         {{"#", "Length", "Name", "Sequence", "Class №", "1", "2"},
                          {"1", "57", "neg1", "ACGT", "1", "1:14.38", "2:3.00"},
                          {"2", "57", "neg2", "ACGT", "2", "2:9.50", "1:1.25"}}};
    for (int32_t columns : {6, 7}) {
        s.controlNegative.columnCount = columns;
        std::string html;
        const Status status = ErrorReportHtml(s, NumberFormat('.'), html);
        ASSERT_TRUE(status.ok) << status.message;
        EXPECT_EQ(html.find("neg1"), std::string::npos);
        EXPECT_NE(html.find("Learning Data      </TD\n>    </TR>\n    <TR>\n      <TD>1      "
                            "</TD>\n      <TD>pos1"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace motifora
