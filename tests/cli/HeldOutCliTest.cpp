// Whole runs of motifora-cli with the held-out evaluation on the bundled promoters: the printed
// figures, the crossValidation section of the JSON summary, the score table, the evaluation
// report, and the same figures for any number of threads.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliTestSupport.h"
#include "io/Sha256.h"

namespace motifora::clitest {
namespace {

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
    EXPECT_NE(r.out.find("Cross-validation: 4 folds, seed 3\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Held-out AUC: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Score table written to s.tsv"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Evaluation report written to r.html"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("cross-validation ended"), std::string::npos) << r.err;

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
    EXPECT_NE(r.out.find(printed), std::string::npos) << r.out;

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
    EXPECT_NE(report.find(digest), std::string::npos);
    EXPECT_NE(report.find("<svg"), std::string::npos);
    EXPECT_EQ(report.find("<script"), std::string::npos);
    // Nothing fetched: no source or link attribute (the SVG namespace is only a name).
    EXPECT_EQ(report.find("src="), std::string::npos);
    EXPECT_EQ(report.find("href="), std::string::npos);
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

TEST_F(HeldOutCliTest, WithoutTheOptionsTheSummaryIsAsBefore) {
    const CliResult r = runCli({"--positive", positive, "--stages", "none"}, folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("Cross-validation"), std::string::npos);
    EXPECT_EQ(r.out.find("Control decision"), std::string::npos);
}

}  // namespace
}  // namespace motifora::clitest
