// Runs of motifora-cli against the held-out evaluation's hostile cases: the settings a
// cross-validation is given are the ones it uses, damaged settings are refused, Ctrl-C stops the
// discriminative search and its folds, every output is checked before the work, and sample
// names that no project or JSON could hold.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <utility>

#include "CliTestSupport.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using nlohmann::json;

using CliHeldOutHardeningTest = CliFolderTest;

// Writes `value` little-endian at `offset` of the file.
void patchBytes(const fs::path& file, size_t offset, const std::string& value) {
    std::string bytes = readFile(file);
    ASSERT_LE(offset + value.size(), bytes.size());
    bytes.replace(offset, value.size(), value);
    writeFile(file, bytes);
}

std::string littleEndian(int32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

TEST_F(CliHeldOutHardeningTest, TheCrossValidationSearchesWithTheSettingsGiven) {
    // No search stage: the folds search with --cp and --finish all the same, and say so.
    for (const bool contrast : {false, true}) {
        std::vector<std::string> args = {
            "--positive",       positive, "--negative", negative, "--cp",     "0.95",
            "--finish",         "30",     "--sub",      "7",      "--stages", "none",
            "--cross-validate", "3",      "--json",     "-"};
        if (contrast) args.push_back("--contrast");
        const CliResult r = run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const json summary = json::parse(r.out);
        const json& cv =
            contrast ? summary["contrast"]["crossValidation"] : summary["crossValidation"];
        SCOPED_TRACE(contrast ? "discriminative" : "classes");
        EXPECT_EQ(cv["search"]["cp"], 0.95);
        EXPECT_EQ(cv["search"]["finishBufferSize"], 30);
        EXPECT_EQ(cv["search"]["subBufferSize"], 7);
        ASSERT_EQ(cv["perFold"].size(), 3u);
        for (const json& fold : cv["perFold"]) {
            EXPECT_LE(fold["rules"].get<int>(), 30) << fold.dump();
            EXPECT_GT(fold["rules"].get<int>(), 0) << fold.dump();
        }
        if (contrast) {
            EXPECT_LE(summary["contrast"]["ruleCount"].get<int>(), 30);
        }
    }
}

TEST_F(CliHeldOutHardeningTest, DamagedProjectSettingsRefuseTheCrossValidation) {
    const CliResult saved = run(
        {"--positive", positive, "--negative", negative, "--stages", "none", "--save", "s.dnp"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    const struct {
        size_t offset;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {16, littleEndian(0), "\"Size of Finish Buffer\" is 0, less than 2"},
        {8, std::string("\0\0\0\0\0\0\x1c\x40", 8), "\"Min. level of CP\" is 7, more than 1"},
        {0, std::string("\0\0\0\0\0\0\xf0\xbf", 8), "\"Confidence interval\" is -1, less than 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        fs::copy_file(folder.path() / "s.dnp", folder.path() / "d.dnp",
                      fs::copy_options::overwrite_existing);
        patchBytes(folder.path() / "d.dnp", c.offset, c.bytes);
        for (const char* extra : {"--cross-validate", "--contrast"}) {
            std::vector<std::string> args = {"--open", "d.dnp",  "--stages",
                                             "none",   "--json", "out.json"};
            args.push_back(extra);
            if (std::string(extra) == "--cross-validate") args.push_back("3");
            const CliResult r = run(args);
            EXPECT_EQ(r.exitCode, 4) << r.err;
            EXPECT_THAT(r.err, HasSubstr(c.reason));
            EXPECT_FALSE(exists("out.json"));
        }
    }
}

TEST_F(CliHeldOutHardeningTest, CtrlCStopsTheDiscriminativeSearchAndItsFolds) {
    // Each piece of work is held at its first step until it is stopped: only the interrupt can
    // end the run.
    const struct {
        const char* hold;
        const char* shown;
        const char* stopped;
    } cases[] = {
        {"discriminative search", "discriminative search ...",
         "interrupted: the discriminative search was stopped"},
        {"discriminative cross-validation", "cross-validation of the discriminative score ...",
         "interrupted: the cross-validation of the discriminative score was stopped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hold);
        // The run prints what it starts just before the held work; then comes Ctrl-C.
        const CliResult r = interruptWhenShown(
            {"--positive", positive, "--negative", negative, "--stages", "none", "--contrast",
             "--cross-validate", "3", "--json", "c.json", "--save", "c.dnp"},
            folder.path(), c.hold, c.shown);
        EXPECT_EQ(r.exitCode, 130) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.stopped));
        EXPECT_FALSE(exists("c.json"));
        EXPECT_FALSE(exists("c.dnp"));
    }
}

TEST_F(CliHeldOutHardeningTest, TheScoreTableAndTheEvaluationReportAreCheckedBeforeTheWork) {
    fs::create_directory(folder.path() / "taken.html");
    const struct {
        std::vector<std::string> output;
        const char* named;
    } cases[] = {
        {{"--scores", "no/such/folder/s.tsv"}, "no/such/folder/s.tsv"},
        {{"--evaluation-report", "taken"}, "taken.html: it is a folder"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--positive",       positive, "--negative", negative,
                                         "--cross-validate", "3",      "--stages",   "none",
                                         "--save",           "p.dnp"};
        args.insert(args.end(), c.output.begin(), c.output.end());
        const CliResult r = run(args);
        EXPECT_EQ(r.exitCode, 5) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.named));
        EXPECT_THAT(r.err, HasSubstr("nothing was run and nothing written"));
        EXPECT_THAT(r.err, Not(HasSubstr("cross-validation")));
        EXPECT_FALSE(exists("p.dnp"));
    }
}

TEST_F(CliHeldOutHardeningTest, FastaNamesAProjectCannotKeepAreRefusedAtTheLoad) {
    const std::string letters = "\nACGTACGTAC\n>c\nACGTACGTAA\n";
    writeFile(folder.path() / "nul.fa", std::string(">a\0b", 4) + letters);
    writeFile(folder.path() / "long.fa", ">" + std::string((1 << 20) + 1, 'n') + letters);
    // Each file, and the reason its load gives.
    const std::pair<const char*, const char*> cases[] = {
        {"nul.fa", "nul.fa: line 1: record 1 has byte 0x00 in its name"},
        {"long.fa", "long.fa: line 1: the header of record 1 is longer than 1048576 characters"},
    };
    for (const auto& [file, reason] : cases) {
        const CliResult r = run({"--positive", file, "--stages", "none", "--save", "n.dnp"});
        EXPECT_EQ(r.exitCode, 3) << r.err;
        EXPECT_THAT(r.err, HasSubstr(reason));
        EXPECT_FALSE(exists("n.dnp"));
    }
}

TEST_F(CliHeldOutHardeningTest, ANameThatIsNotUtf8ReachesTheJsonSummaryReplaced) {
    writeFile(folder.path() / "latin.fa", ">caf\xe9\nACGTACGTAC\n>c\nACGTACGTAA\n");
    const CliResult r =
        run({"--positive", "latin.fa", "--stages", "none", "--save", "l.dnp", "--json", "l.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json summary = json::parse(readFile(folder.path() / "l.json"));
    EXPECT_THAT(summary.dump(), HasSubstr("caf\xef\xbf\xbd"));  // U+FFFD
    const CliResult reopened = run({"--open", "l.dnp", "--stages", "none"});
    EXPECT_EQ(reopened.exitCode, 0) << reopened.err;
}

TEST_F(CliHeldOutHardeningTest, AFastaHeaderReachesTheJsonSummaryBesideItsName) {
    writeFile(folder.path() / "h.fa", ">c1 chrX:1-10 strand=+\nACGTACGTAC\n>c2\nACGTACGTAA\n");
    const CliResult r = run({"--positive", "h.fa", "--stages", "none", "--json", "h.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json records =
        json::parse(readFile(folder.path() / "h.json"))["samples"]["learningPositive"]["sequences"];
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["name"], "c1");
    EXPECT_EQ(records[0]["header"], "c1 chrX:1-10 strand=+");
    EXPECT_EQ(records[1]["name"], "c2");
    EXPECT_FALSE(records[1].contains("header"));  // the name is the whole header
}

}  // namespace
}  // namespace motifora::clitest
