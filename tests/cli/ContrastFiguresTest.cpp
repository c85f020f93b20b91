// The discriminative score's held-out figures on the bundled promoters, as the README reports
// them: the command the README gives, run twice, prints the same figures both times, meets the
// goal set for it (AUC at least 0.95, at most a tenth of the sequences wrong at probability 0.5)
// and gives the fold-by-fold settings and AUCs the README's table lists.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliTestSupport.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;

using nlohmann::json;

TEST(ContrastFigures, TheTunedPromoterFiguresOfTheReadme) {
    TempFolder folder;
    const std::vector<std::string> command{"--positive",
                                           kExamples + "/promoters_pos.seq",
                                           "--negative",
                                           kExamples + "/promoters_neg.seq",
                                           "--contrast",
                                           "--contrast-tune",
                                           "--cross-validate",
                                           "5,1",
                                           "--balanced",
                                           "--stages",
                                           "search",
                                           "--json",
                                           "s.json"};
    const CliResult first = runCli(command, folder.path());
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string firstJson = readFile(folder.path() / "s.json");
    const CliResult again = runCli(command, folder.path());
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(readFile(folder.path() / "s.json"), firstJson);

    const json cv = json::parse(firstJson)["contrast"]["crossValidation"];
    const double auc = cv["pooled"]["auc"]["value"];
    EXPECT_GE(auc, 0.95);
    const int wrong = cv["atProbabilityHalf"]["firstLevelErrors"].get<int>() +
                      cv["atProbabilityHalf"]["secondLevelErrors"].get<int>();
    EXPECT_LE(wrong * 10, 106);

    // The README's table.
    EXPECT_THAT(first.out,
                HasSubstr("CP threshold / sub-buffer chosen on each fold's training sequences: "
                          "0.70/50 0.60/50 0.60/200 0.80/200 0.70/200"));
    const char* foldAucs[] = {"0.9587", "0.9182", "0.9727", "0.9818", "0.9636"};
    for (int f = 0; f < 5; ++f) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", cv["perFold"][f]["auc"]["value"].get<double>());
        EXPECT_EQ(std::string(text), foldAucs[f]) << "fold " << f + 1;
    }
    EXPECT_THAT(first.out, HasSubstr("Held-out AUC: 0.9534"));
    EXPECT_THAT(first.out,
                HasSubstr("At probability 0.50, fixed before any fold was seen: first level "
                          "errors 5 of 53, second level errors 5 of 53"));
}

}  // namespace
}  // namespace motifora::clitest
