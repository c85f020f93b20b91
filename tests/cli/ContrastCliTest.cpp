// motifora-cli --contrast on the bundled promoters: the discriminative rules and their held-out
// figures printed, in the JSON summary, in the score table and in the evaluation report; the
// discriminative score of every held-out sequence is that of the rules of the other folds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliTestSupport.h"
#include "core/FileManager.h"
#include "evaluation/ContrastScore.h"
#include "io/ContrastFile.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using nlohmann::json;

std::vector<Sequence> readSeq(const std::string& path) {
    std::vector<Sequence> records;
    readSeqFile(path, records);
    return records;
}

TEST(ContrastCli, RulesScoresAndHeldOutFiguresInEveryOutput) {
    TempFolder folder;
    const std::string positive = kExamples + "/promoters_pos.seq";
    const std::string negative = kExamples + "/promoters_neg.seq";
    const CliResult r = runCli(
        promoterRun({"--contrast", "--cross-validate", "4,3", "--scores", "s.tsv",
                     "--evaluation-report", "r.html", "--json", "s.json", "--save", "p.dnp"}),
        folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Discriminative rules: "));
    EXPECT_THAT(r.out,
                HasSubstr("Discriminative score, held out:\nCross-validation: 4 folds, seed 3\n"));

    const json summary = json::parse(readFile(folder.path() / "s.json"));
    const json& contrast = summary["contrast"];
    EXPECT_EQ(contrast["calibrated"], false);
    EXPECT_FALSE(contrast.contains("conditions"));  // said only when asked for
    const int ruleCount = contrast["ruleCount"];
    ASSERT_GT(ruleCount, 0);
    ASSERT_FALSE(contrast["rules"].empty());
    const json& first = contrast["rules"][0];
    EXPECT_THAT(first["text"].get<std::string>(), HasSubstr(" of 53 positives, "));
    EXPECT_NEAR(first["weight"].get<double>(), -std::log(1.0 - first["cp"].get<double>()), 1e-12);
    const json& cv = contrast["crossValidation"];
    ASSERT_EQ(cv["perFold"].size(), 4u);
    // The same folds as the class score's cross-validation.
    for (size_t f = 0; f < 4; ++f) {
        EXPECT_EQ(cv["perFold"][f]["positives"],
                  summary["crossValidation"]["perFold"][f]["positives"]);
        EXPECT_EQ(cv["perFold"][f]["classes"], 0);
    }
    char printed[64];
    std::snprintf(printed, sizeof printed, "Held-out AUC: %.4f",
                  cv["pooled"]["auc"]["value"].get<double>());
    EXPECT_THAT(r.out, HasSubstr(printed));

    // The score table gets the column; the held-out rows' values are those of a recount.
    const auto rows = tsvRows(readFile(folder.path() / "s.tsv"));
    ASSERT_EQ(rows.size(), 1u + 53 + 106);
    ASSERT_EQ(rows[0].size(), 9u);
    EXPECT_EQ(rows[0][8], "discriminative score");
    const CrossValidationSettings settings{.folds = 4,
                                           .seed = 3,
                                           .search = {.confidence = 0.05,
                                                      .cpThreshold = 0.8,
                                                      .finishBufferSize = 80,
                                                      .subBufferSize = 20},
                                           .threads = 1};
    const CrossValidationResult own =
        contrastCrossValidate(readSeq(positive), readSeq(negative), settings, nullptr, nullptr);
    ASSERT_TRUE(own.complete);
    for (size_t i = 0; i < 106; ++i) {
        char text[40];
        std::snprintf(text, sizeof text, "%.10g", own.sequences[i].score.bestScore);
        EXPECT_EQ(rows[1 + 53 + i][8], text) << i;
    }
    // Control rows carry the score of the rules of all learning sequences.
    for (size_t i = 1; i <= 53; ++i) EXPECT_NE(rows[i][8], "NA") << i;
    EXPECT_TRUE(summary["sequenceScores"][0].contains("discriminativeScore"));

    // The project keeps its bytes; the rules are in the side file beside it.
    ContrastRules side;
    ASSERT_TRUE(ReadContrastRules((folder.path() / "p.dnp.contrast").string(), side).ok);
    EXPECT_EQ(static_cast<int>(side.rules.size()), ruleCount);
    EXPECT_EQ(side.plainText(side.rules[0]), first["text"].get<std::string>());
    EXPECT_THAT(r.out, HasSubstr("Discriminative rules written to p.dnp.contrast"));

    const std::string report = readFile(folder.path() / "r.html");
    EXPECT_THAT(report, HasSubstr("<h2>Discriminative regularities</h2>"));
    EXPECT_THAT(report, HasSubstr("Contribution of each position and letter"));
    EXPECT_THAT(report, HasSubstr(first["text"].get<std::string>().substr(0, 20)));
}

// The first `count` records of a bundled sample, as a .seq file of its own.
std::string headOf(const std::string& sample, size_t count) {
    std::istringstream lines(readFile(kExamples + "/" + sample));
    std::string text, line;
    for (size_t i = 0; i < count && std::getline(lines, line); ++i) text += line + "\n";
    return text;
}

// The records of a bundled sample after the first `skip`.
std::string tailOf(const std::string& sample, size_t skip) {
    std::istringstream lines(readFile(kExamples + "/" + sample));
    std::string text, line;
    for (size_t i = 0; std::getline(lines, line); ++i)
        if (i >= skip) text += line + "\n";
    return text;
}

// A tuned or fitted run on the first 36 promoters and non-promoters with the other 17 and 17 as
// control data: the control rows' discriminative scores are probabilities and their decision is
// the score against the decision level, a probability too (0.5 with --balanced); each held-out
// learning row is decided at its own fold's level.
// A tuned discriminative cross-validation (3 folds) of the first 18 promoters of each sample,
// with `extra` options.
CliResult tunedPromoterRun(const TempFolder& folder, const std::vector<std::string>& extra) {
    writeFile(folder.path() / "pos.seq", headOf("promoters_pos.seq", 18));
    writeFile(folder.path() / "neg.seq", headOf("promoters_neg.seq", 18));
    std::vector<std::string> arguments{
        "--positive", "pos.seq", "--negative", "neg.seq",         "--finish",         "60",
        "--stages",   "search",  "--contrast", "--contrast-tune", "--cross-validate", "3,2"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return runCli(arguments, folder.path());
}

json promoterControlRun(const TempFolder& folder, const std::vector<std::string>& extra,
                        std::string& out) {
    writeFile(folder.path() / "pos.seq", headOf("promoters_pos.seq", 36));
    writeFile(folder.path() / "neg.seq", headOf("promoters_neg.seq", 36));
    writeFile(folder.path() / "cpos.seq", tailOf("promoters_pos.seq", 36));
    writeFile(folder.path() / "cneg.seq", tailOf("promoters_neg.seq", 36));
    std::vector<std::string> command{"--positive",
                                     "pos.seq",
                                     "--negative",
                                     "neg.seq",
                                     "--control-positive",
                                     "cpos.seq",
                                     "--control-negative",
                                     "cneg.seq",
                                     "--finish",
                                     "60",
                                     "--stages",
                                     "search",
                                     "--contrast",
                                     "--cross-validate",
                                     "3,2",
                                     "--balanced",
                                     "--scores",
                                     "s.tsv",
                                     "--json",
                                     "s.json"};
    command.insert(command.end(), extra.begin(), extra.end());
    const CliResult r = runCli(command, folder.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    out = r.out;
    const json summary = json::parse(readFile(folder.path() / "s.json"));
    const json& contrast = summary["contrast"];
    // With --balanced the probabilities are cut at 0.5; the inner levels are reported beside.
    const double level = contrast["controlDecisionLevel"];
    EXPECT_EQ(level, 0.5);
    const json& folds = contrast["crossValidation"]["settingsPerFold"];
    const auto rows = tsvRows(readFile(folder.path() / "s.tsv"));
    EXPECT_EQ(rows.size(), 1u + 34 + 72);
    EXPECT_EQ(rows[0].back(), "discriminative decision");
    int missed = 0, accepted = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const auto& row = rows[i];
        const double p = std::stod(row[8]);
        EXPECT_TRUE(p > 0.0 && p < 1.0) << row[8];
        const bool control = row[0].rfind("control", 0) == 0;
        const double cut =
            control ? level : folds[std::stoi(row[7]) - 1]["decisionLevel"].get<double>();
        EXPECT_EQ(row[9], p > cut ? "accept" : "reject") << row[1] << " " << p << " " << cut;
        if (row[0] == "control positive" && row[9] == "reject") ++missed;
        if (row[0] == "control negative" && row[9] == "accept") ++accepted;
    }
    char levelText[16];
    std::snprintf(levelText, sizeof levelText, "%.2f", level);
    EXPECT_THAT(
        out, HasSubstr("Discriminative control decision at probability " + std::string(levelText) +
                       " (fixed before the data were seen): first level errors " +
                       std::to_string(missed) + " of 17, second level errors " +
                       std::to_string(accepted) + " of 17\n"));
    // Sums cut at a probability level accept nearly every control negative; probabilities
    // cut at it reject most of them.
    EXPECT_LT(accepted, 9);
    return summary;
}

TEST(ContrastCli, TunedControlDecisionCutsProbabilitiesAtTheDecisionLevel) {
    TempFolder folder;
    std::string out;
    const json summary = promoterControlRun(folder, {"--contrast-tune"}, out);
    EXPECT_TRUE(summary["contrast"]["chosenOnAllLearningSequences"].contains("calibration"));
    EXPECT_THAT(out, HasSubstr("At the level each fold chose on its own training sequences"));
}

TEST(ContrastCli, FittedWeightsGoWithEveryRule) {
    TempFolder folder;
    std::string out;
    const json summary = promoterControlRun(folder, {"--contrast-weights", "fitted"}, out);
    const json& contrast = summary["contrast"];
    ASSERT_FALSE(contrast["rules"].empty());
    EXPECT_TRUE(contrast["rules"][0].contains("fittedWeight"));
    const json& model = contrast["fittedModel"];
    EXPECT_EQ(model["letters"], true);
    EXPECT_EQ(model["letterWeights"].size(), 57u);
    EXPECT_EQ(model["letterWeights"][0].size(), model["alphabet"].get<std::string>().size());
    const double c = model["regularisation"];
    EXPECT_EQ(contrast["chosenOnAllLearningSequences"]["regularisation"], c);
    EXPECT_THAT(out, HasSubstr("Score: log-odds of a positive = "));
    EXPECT_THAT(out,
                HasSubstr("regularisation / rule scale chosen on each fold's training sequences:"));
}

TEST(ContrastCli, TunedFoldsReportTheirChoiceAndCalibratedFigures) {
    TempFolder folder;
    const CliResult r = tunedPromoterRun(
        folder, {"--scores", "s.tsv", "--json", "s.json", "--evaluation-report", "r.html"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json summary = json::parse(readFile(folder.path() / "s.json"));
    const json& contrast = summary["contrast"];
    EXPECT_EQ(contrast["calibrated"], true);
    const json& folds = contrast["crossValidation"]["settingsPerFold"];
    ASSERT_EQ(folds.size(), 3u);
    std::string chosen;
    for (const json& f : folds) {
        const double cp = f["cp"];
        const int sub = f["subBuffer"];
        EXPECT_TRUE(cp == 0.6 || cp == 0.7 || cp == 0.8 || cp == 0.9) << cp;
        EXPECT_TRUE(sub == 50 || sub == 200) << sub;
        EXPECT_GT(f["calibration"]["slope"].get<double>(), 0.0);
        char text[24];
        std::snprintf(text, sizeof text, " %.2f/%d", cp, sub);
        chosen += text;
    }
    EXPECT_THAT(r.out, HasSubstr("chosen on each fold's training sequences:" + chosen +
                                 "; scores calibrated to probabilities on them"));

    // The held-out scores are probabilities, and the errors at 0.5 are a count of them.
    const auto rows = tsvRows(readFile(folder.path() / "s.tsv"));
    ASSERT_EQ(rows.size(), 1u + 36);
    int missed = 0, accepted = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const double p = std::stod(rows[i][8]);
        ASSERT_TRUE(p > 0.0 && p < 1.0) << rows[i][8];
        // Without --balanced each fold decides at the level its inner cross-validation chose
        // for the wanted first-level error, a probability too.
        const json& fold = folds[std::stoi(rows[i][7]) - 1];
        const double level = fold["decisionLevel"];
        EXPECT_EQ(level, fold["innerLevel"].get<double>());
        EXPECT_EQ(rows[i][9], p > level ? "accept" : "reject") << rows[i][1];
        if (rows[i][0] == "learning positive" && p <= 0.5) ++missed;
        if (rows[i][0] == "learning negative" && p > 0.5) ++accepted;
    }
    const json& half = contrast["crossValidation"]["atProbabilityHalf"];
    EXPECT_EQ(half["firstLevelErrors"], missed);
    EXPECT_EQ(half["secondLevelErrors"], accepted);
    EXPECT_THAT(r.out, HasSubstr("At probability 0.50, fixed before any fold was seen: first level "
                                 "errors " +
                                 std::to_string(missed) + " of 18, second level errors " +
                                 std::to_string(accepted) + " of 18\n"));
    EXPECT_THAT(readFile(folder.path() / "r.html"), HasSubstr("At probability 0.50"));
}

TEST(ContrastCli, TheToleranceEachFoldChoseIsStoredAndPrinted) {
    TempFolder folder;
    const CliResult r = tunedPromoterRun(
        folder, {"--contrast-word", "2", "--contrast-tolerance", "0,2", "--json", "s.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json contrast = json::parse(readFile(folder.path() / "s.json"))["contrast"];
    const int chosen = contrast["chosenOnAllLearningSequences"]["tolerance"];
    EXPECT_TRUE(chosen == 0 || chosen == 2) << chosen;
    // The rules of every learning sequence are those of the chosen tolerance.
    EXPECT_EQ(contrast["conditions"], json({{"wordLength", 2}, {"tolerance", chosen}}));
    EXPECT_THAT(r.out,
                HasSubstr("Conditions on words of 2 letters, tolerance " + std::to_string(chosen) +
                          " (chosen by an inner cross-validation of every learning "
                          "sequence)\n"));
    std::string perFold;
    for (const json& f : contrast["crossValidation"]["settingsPerFold"]) {
        const int t = f["tolerance"];
        EXPECT_TRUE(t == 0 || t == 2) << t;
        char text[32];
        std::snprintf(text, sizeof text, " %.2f/%d/%d", f["cp"].get<double>(),
                      f["subBuffer"].get<int>(), t);
        perFold += text;
    }
    EXPECT_THAT(r.out, HasSubstr("CP threshold / sub-buffer / tolerance chosen on each fold's "
                                 "training sequences:" +
                                 perFold + "; scores calibrated to probabilities on them"));
}

TEST(ContrastCli, WithoutContrastTheScoreTableKeepsItsColumns) {
    TempFolder folder;
    const CliResult r =
        runCli({"--positive", kExamples + "/promoters_pos.seq", "--negative",
                kExamples + "/promoters_neg.seq", "--finish", "40", "--sub", "10", "--stages",
                "search", "--cross-validate", "3", "--scores", "s.tsv", "--json", "s.json"},
               folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rows = tsvRows(readFile(folder.path() / "s.tsv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].size(), 8u);
    EXPECT_FALSE(json::parse(readFile(folder.path() / "s.json")).contains("contrast"));
    EXPECT_THAT(r.out, Not(HasSubstr("Discriminative")));
}

}  // namespace
}  // namespace motifora::clitest
