// Whole runs of motifora-cli with the held-out evaluation on the bundled promoters: the printed
// figures, the crossValidation section of the JSON summary, the score table, the evaluation
// report, and the same figures for any number of threads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliTestSupport.h"
#include "io/Sha256.h"
#include "support/OneCore.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using nlohmann::json;

class HeldOutCliTest : public CliFolderTest {
  protected:
    std::vector<std::string> arguments(const std::string& threads) {
        return promoterRun({"--threads", threads, "--cross-validate", "4,3", "--scores", "s.tsv",
                            "--evaluation-report", "r.html", "--json", "s.json"});
    }
};

TEST_F(HeldOutCliTest, CrossValidationPrintsWritesAndReportsTheSameFigures) {
    const CliResult r = runCli(arguments("2"), folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Cross-validation: 4 folds, seed 3\n"));
    EXPECT_THAT(r.out, HasSubstr("Held-out AUC: "));
    EXPECT_THAT(r.out, HasSubstr("Score table written to s.tsv"));
    EXPECT_THAT(r.out, HasSubstr("Evaluation report written to r.html"));
    EXPECT_THAT(r.err, HasSubstr("cross-validation ended"));

    const json summary = json::parse(readFile(folder.path() / "s.json"));
    const json& cv = summary["crossValidation"];
    EXPECT_EQ(cv["folds"], 4);
    EXPECT_EQ(cv["aucInterval"], "DeLong 95 %");
    const double auc = cv["pooled"]["auc"]["value"];
    EXPECT_TRUE(auc >= 0 && auc <= 1);
    EXPECT_LE(cv["pooled"]["auc"]["low"].get<double>(), auc);
    EXPECT_GE(cv["pooled"]["auc"]["high"].get<double>(), auc);
    const json& roc = cv["pooled"]["roc"];
    ASSERT_GE(roc.size(), 2u);
    EXPECT_EQ(roc.front()["truePositiveRate"], 0.0);
    EXPECT_EQ(roc.back()["truePositiveRate"], 1.0);
    EXPECT_EQ(roc.back()["falsePositiveRate"], 1.0);
    ASSERT_EQ(cv["perFold"].size(), 4u);
    int positives = 0;
    for (const json& fold : cv["perFold"]) positives += fold["positives"].get<int>();
    EXPECT_EQ(positives, 53);
    EXPECT_EQ(cv["pooled"]["firstLevelErrors"]["total"], 53);
    char printed[64];
    std::snprintf(printed, sizeof printed, "Held-out AUC: %.4f", auc);
    EXPECT_THAT(r.out, HasSubstr(printed));

    // One row per control negative and per held-out learning sequence; the decision follows
    // the cross-validated level.
    const auto rows = tsvRows(readFile(folder.path() / "s.tsv"));
    ASSERT_EQ(rows.size(), 1u + 53 + 106);
    EXPECT_EQ(rows[0][0], "sample");
    const double level = cv["pooled"]["level"];
    int firstErrors = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 8u);
        const double best = rows[i][4] == "NA" ? NAN : std::stod(rows[i][4]);
        EXPECT_EQ(rows[i][6], best > level ? "accept" : "reject") << i;
        if (i > 53) {
            const int fold = std::stoi(rows[i][7]);
            EXPECT_TRUE(fold >= 1 && fold <= 4);
            if (rows[i][0] == "learning positive" && rows[i][6] == "reject") ++firstErrors;
        } else {
            EXPECT_EQ(rows[i][0], "control negative");
            EXPECT_EQ(rows[i][7], "");
        }
    }
    EXPECT_EQ(firstErrors, cv["pooled"]["firstLevelErrors"]["count"].get<int>());
    ASSERT_EQ(summary["sequenceScores"].size(), rows.size() - 1);

    const std::string report = readFile(folder.path() / "r.html");
    std::string digest;
    ASSERT_TRUE(Sha256OfFile(positive, digest).ok);
    EXPECT_THAT(report, HasSubstr(digest));
    EXPECT_THAT(report, HasSubstr("<svg"));
    EXPECT_THAT(report, Not(HasSubstr("<script")));
    // Nothing fetched: no source or link attribute (the SVG namespace is only a name).
    EXPECT_THAT(report, Not(HasSubstr("src=")));
    EXPECT_THAT(report, Not(HasSubstr("href=")));
}

TEST_F(HeldOutCliTest, TheThreadCountChangesNoHeldOutFigure) {
    const CliResult one = runCli(arguments("1"), folder.path());
    ASSERT_EQ(one.exitCode, 0) << one.err;
    const std::string first = readFile(folder.path() / "s.tsv");
    const json a = json::parse(readFile(folder.path() / "s.json"))["crossValidation"];
    const CliResult three = runCli(arguments("3"), folder.path());
    ASSERT_EQ(three.exitCode, 0) << three.err;
    const json b = json::parse(readFile(folder.path() / "s.json"))["crossValidation"];
    EXPECT_EQ(a, b);
    EXPECT_EQ(first, readFile(folder.path() / "s.tsv"));
}

TEST_F(HeldOutCliTest, OneThreadPinnedToOneCoreAsksForNoWorkers) {
    // The run inherits this thread's cores: one, as `taskset -c N` would give it.
    test::OneCore one;
    ASSERT_TRUE(one.pinned());
    CliRun pinned(arguments("1"), folder.path());
    ASSERT_TRUE(one.release());
    const CliResult r = pinned.finish();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The folds and their searches stay on the run's one thread: the thread library is never
    // asked for workers it cannot start, and says nothing.
    EXPECT_THAT(r.err, Not(HasSubstr("TBB")));
    EXPECT_THAT(r.err, Not(HasSubstr("workers")));
    EXPECT_THAT(r.out, HasSubstr("Held-out AUC"));
}

TEST_F(HeldOutCliTest, WithoutTheOptionsTheSummaryIsAsBefore) {
    const CliResult r = runCli({"--positive", positive, "--stages", "none"}, folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, Not(HasSubstr("Cross-validation")));
    EXPECT_THAT(r.out, Not(HasSubstr("Control decision")));
}

}  // namespace
}  // namespace motifora::clitest
