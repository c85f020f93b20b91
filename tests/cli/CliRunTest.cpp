// Whole runs of the motifora-cli binary in fresh folders: every exit code, messages and progress
// on standard error, the summary on standard output, the JSON summary, Ctrl-C, and projects
// that reopen to the same results.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CliTestSupport.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using nlohmann::json;

const char* const kSeedNote = "generated samples use std::mt19937 with the seeds written here";

class CliRunTest : public CliFolderTest {};

// Lines "a || b || c" of the text export's rules section, split into their fields.
std::vector<std::vector<std::string>> rulesLines(const std::string& exported) {
    std::vector<std::vector<std::string>> lines;
    const size_t start = exported.find("# || Fisher || Rule || CP\n");
    if (start == std::string::npos) return lines;
    size_t at = start + 1;
    at = exported.find('\n', start) + 1;
    while (at < exported.size() && exported[at] != '\n') {
        const size_t end = exported.find('\n', at);
        lines.push_back(splitAt(exported.substr(at, end - at), " || "));
        at = end + 1;
    }
    return lines;
}

TEST_F(CliRunTest, TheBundledExampleRunsEveryStageAndWritesEveryOutput) {
    const CliResult r =
        run({"--positive",  positive,   "--negative", negative, "--control-negative",
             negative,      "--finish", "80",         "--sub",  "20",
             "--bootstrap", "20,2",     "--save",     "p.dnp",  "--export-text",
             "p",           "--report", "p.html",     "--json", "p.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The window's messages, with their captions, and the progress of each process.
    for (const char* shown :
         {"Сообщение: Загрузка нуклеотидных последовательностей удачно завершена.",
          "Message: Loading of negative sampling is completed successfully.",
          "Сообщение: Процесс поиска закономерностей успешно завершен.",
          "Сообщение: Процесс идеализации успешно завершен.",
          "Сообщение: Загрузка контрольных последовательностей удачно завершена.",
          "Сообщение: Процесс классификации контрольной выборки успешно завершен.",
          "regularity search ended", "idealization ended", "classification ended",
          "recognition ended", "error counting ended", "bootstrap ended"})
        EXPECT_THAT(r.err, HasSubstr(shown));
    EXPECT_THAT(r.out,
                HasSubstr("Sequences read: learning positive 53, learning negative 53, control "
                          "negative 53, control positive 0"));
    EXPECT_THAT(r.out, HasSubstr("Project written to p.dnp"));
    EXPECT_THAT(r.out, HasSubstr("Text export written to p.txt"));
    EXPECT_THAT(r.out, HasSubstr("Report written to p.html"));
    ASSERT_TRUE(exists("p.dnp") && exists("p.txt") && exists("p.html") && exists("p.json"));

    const json summary = json::parse(readFile(folder.path() / "p.json"));
    EXPECT_EQ(summary["stages"],
              json({"search", "idealize", "classify", "recognize", "errors", "bootstrap"}));
    EXPECT_EQ(summary["samples"]["learningPositive"]["count"], 53);
    EXPECT_EQ(summary["samples"]["learningPositive"]["sequences"][0]["length"], 57);

    // The rules agree with the text export line by line, and with the settings.
    const auto lines = rulesLines(readFile(folder.path() / "p.txt"));
    const json& rules = summary["rules"];
    ASSERT_EQ(lines.size(), rules.size());
    ASSERT_GT(rules.size(), 0u);
    EXPECT_LE(rules.size(), 80u);
    EXPECT_THAT(r.out, HasSubstr("Rules found: " + std::to_string(rules.size()) + "\n"));
    double previousFisher = 0.0;
    for (size_t i = 0; i < rules.size(); ++i) {
        const json& rule = rules[i];
        EXPECT_EQ(lines[i][0], std::to_string(i + 1));
        EXPECT_EQ(lines[i][1], rule["fisherText"]);
        EXPECT_EQ(lines[i][2], rule["text"]);
        EXPECT_EQ(lines[i][3], rule["cpText"]);
        EXPECT_LE(rule["fisher"].get<double>(), 0.05);
        EXPECT_GE(rule["cp"].get<double>(), 0.8);
        EXPECT_GE(rule["fisher"].get<double>(), previousFisher) << "ascending Fisher order";
        previousFisher = rule["fisher"].get<double>();
        const int target = rule["target"];
        EXPECT_TRUE(target >= 1 && target <= 57);
        ASSERT_GE(rule["conditions"].size(), 1u);
        for (const json& c : rule["conditions"]) EXPECT_NE(c["position"], target);
    }

    // Classes: one ideal object per class; every learning object has one.
    const int classes = summary["classCount"];
    EXPECT_EQ(summary["idealObjects"].size(), static_cast<size_t>(classes));
    EXPECT_THAT(r.out, HasSubstr("Classes: " + std::to_string(classes) + "\n"));
    for (const json& c : summary["objectClasses"]["learning"]) {
        ASSERT_TRUE(c.is_number());
        EXPECT_TRUE(c.get<int>() >= 1 && c.get<int>() <= classes);
    }
    // The all-class recognition scored every control negative object against every class.
    const json& scored = summary["recognition"]["controlNegative"];
    ASSERT_EQ(scored.size(), 53u);
    for (const json& object : scored)
        EXPECT_EQ(object["scores"].size(), static_cast<size_t>(classes));
    // Error counting over all classes gives one row per class and the totals.
    const json& errors = summary["errors"];
    EXPECT_EQ(errors["perClass"].size(), static_cast<size_t>(classes));
    EXPECT_TRUE(errors["firstLevelError"].is_number());
    EXPECT_TRUE(errors["secondLevelError"].is_number());
    // Two bootstrap rows, and averages that are their means (of the shown values).
    const json& bootstrap = summary["bootstrap"];
    ASSERT_EQ(bootstrap["rows"].size(), 2u);
    for (const char* which : {"firstLevelError", "secondLevelError"}) {
        const double mean = (bootstrap["rows"][0][which].get<double>() +
                             bootstrap["rows"][1][which].get<double>()) /
                            2;
        EXPECT_NEAR(bootstrap["averages"][which].get<double>(), mean, 1e-8) << which;
    }
}

TEST_F(CliRunTest, ASavedProjectReopensToTheSameExport) {
    const CliResult first =
        run({"--positive", positive, "--negative", negative, "--control-negative", negative,
             "--finish", "60", "--sub", "15", "--stages", "search,idealize,classify", "--save",
             "p.dnp", "--export-text", "a.txt"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const CliResult second =
        run({"--open", "p.dnp", "--stages", "none", "--export-text", "b.txt", "--save", "q"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(readFile(folder.path() / "a.txt"), readFile(folder.path() / "b.txt"));
    EXPECT_EQ(readFile(folder.path() / "p.dnp"), readFile(folder.path() / "q.dnp"));
    // A project that already holds classes runs only the evaluation by default.
    const CliResult third = run({"--open", "p.dnp", "--json", "c.json", "--quiet"});
    ASSERT_EQ(third.exitCode, 0) << third.err;
    const json summary = json::parse(readFile(folder.path() / "c.json"));
    EXPECT_EQ(summary["stages"], json({"classify", "recognize", "errors", "bootstrap"}));
}

TEST_F(CliRunTest, TheNumberOfSearchThreadsChangesNoResult) {
    for (const char* threads : {"1", "3"}) {
        const CliResult r = run({"--positive", positive, "--negative", negative, "--finish", "200",
                                 "--sub", "40", "--threads", threads, "--stages", "search,idealize",
                                 "--export-text", std::string("t") + threads, "--quiet"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    const std::string one = readFile(folder.path() / "t1.txt");
    EXPECT_THAT(one, HasSubstr("# || Fisher || Rule || CP\n"));
    EXPECT_TRUE(one == readFile(folder.path() / "t3.txt"));
}

TEST_F(CliRunTest, QuietRunsPrintOnlyTheSummary) {
    const CliResult r = run(
        {"--positive", positive, "--finish", "20", "--sub", "5", "--stages", "search", "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr("Rules found: 20\n"));
}

TEST_F(CliRunTest, BadArgumentsExitWithTwoAndTheUsageLine) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--positive", positive, "--cp", "1,5"},
          std::vector<std::string>{"--positive", positive, "--frobnicate"},
          std::vector<std::string>{}}) {
        const CliResult r = run(arguments);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_THAT(r.err, HasSubstr("Usage: motifora-cli [OPTIONS]"));
        EXPECT_EQ(r.out, "");
    }
    // A class that the idealization did not form is a bad argument too, found once it ran.
    const CliResult late = run({"--positive", positive, "--negative", negative,
                                "--control-negative", negative, "--finish", "30", "--sub", "10",
                                "--classes", "54", "--stages", "search,idealize,classify,errors"});
    EXPECT_EQ(late.exitCode, 2) << late.err;
    EXPECT_THAT(late.err, HasSubstr("there is no class 54"));
    // So is a scanning frame wider than every sequence (57 letters): no window would fit.
    const CliResult wide = run({"--positive", positive, "--mode", "shift", "--width", "58"});
    EXPECT_EQ(wide.exitCode, 2) << wide.err;
    EXPECT_THAT(wide.err,
                HasSubstr("--width 58 is wider than the longest learning positive sequence "
                          "(57 positions)"));
}

TEST_F(CliRunTest, RefusedInputsExitWithThreeAndSayWhy) {
    writeFile(folder.path() / "broken.seq", ">r1;ACGTACGTAC\n>r2;ACGTNNNNAC\n>r3;ACGT\n");
    writeFile(folder.path() / "short.seq", ">r1;ACGTA\n>r2;ACGTAC\n");
    writeFile(folder.path() / "other.seq", ">r1;ACGTACGTAC\n>r2;ACGTXCGTAC\n");
    writeFile(folder.path() / "notaproject.dnp", "this is not a project");
    writeFile(folder.path() / "good.seq", generatedSample(11, 20, 10, 2));
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> fragments;
    } cases[] = {
        {{"--positive", "missing.seq"}, {"missing.seq", "the learning positive sample"}},
        {{"--positive", "good.seq", "--negative", "missing-negative.seq"},
         {"missing-negative.seq", "Error reading from file"}},
        {{"--positive", "good.seq", "--negative", "other.seq"}, {"other.seq", "record 2"}},
        {{"--positive", "good.seq", "--finish", "20", "--sub", "5", "--control-negative",
          "other.seq"},
         {"other.seq", "Не совпадает длина последовательностей или алфавит"}},
        {{"--open", "notaproject.dnp"}, {"notaproject.dnp", "Ошибка чтения из файла"}},
        {{"--open", "missing.dnp"}, {"missing.dnp"}},
    };
    for (const Case& c : cases) {
        const CliResult r = run(c.arguments);
        EXPECT_EQ(r.exitCode, 3) << c.arguments[1] << "\n" << r.err;
        for (const std::string& fragment : c.fragments) EXPECT_THAT(r.err, HasSubstr(fragment));
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(CliRunTest, MessagesInEnglishWithLangEn) {
    writeFile(folder.path() / "other.seq", ">r1;ACGTACGTAC\n>r2;ACGTXCGTAC\n");
    writeFile(folder.path() / "good.seq", generatedSample(11, 20, 10, 2));
    const std::vector<std::string> refused = {
        "--positive", "good.seq", "--finish",           "20",
        "--sub",      "5",        "--control-negative", "other.seq"};
    std::vector<std::string> english = refused;
    english.insert(english.end(), {"--lang", "en"});
    const CliResult r = run(english);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_THAT(r.err, HasSubstr("Message: The nucleotide sequences were loaded successfully."));
    EXPECT_THAT(r.err,
                HasSubstr("Error reading from file: other.seq: The sequence length or the alphabet "
                          "does not match"));
    EXPECT_THAT(r.err, Not(HasSubstr("Ошибка")));

    // Without --lang the program's own words, exactly as they stand.
    const CliResult original = run(refused);
    EXPECT_EQ(original.exitCode, 3);
    EXPECT_THAT(original.err,
                HasSubstr("Сообщение: Загрузка нуклеотидных последовательностей удачно "
                          "завершена."));
    EXPECT_THAT(original.err, HasSubstr("Ошибка чтения из файла: other.seq: Не совпадает длина "
                                        "последовательностей или алфавит"));
}

TEST_F(CliRunTest, AProcessThatCannotRunExitsWithFourAndWritesNothing) {
    writeFile(folder.path() / "p.txt", "an earlier export\n");
    // A confidence interval of 0 accepts no regularity, so no class can be formed.
    const CliResult r = run(
        {"--positive", positive, "--confidence", "0", "--export-text", "p.txt", "--save", "p.dnp"});
    EXPECT_EQ(r.exitCode, 4) << r.err;
    EXPECT_THAT(r.err, HasSubstr("found no regularities"));
    EXPECT_EQ(readFile(folder.path() / "p.txt"), "an earlier export\n");
    EXPECT_FALSE(exists("p.dnp"));

    // Error counting needs the classification of the control data.
    const CliResult errors =
        run({"--positive", positive, "--negative", negative, "--control-negative", negative,
             "--finish", "30", "--sub", "10", "--stages", "search,idealize,errors"});
    EXPECT_EQ(errors.exitCode, 4) << errors.err;
    EXPECT_THAT(errors.err, HasSubstr("stage errors cannot run"));
}

TEST_F(CliRunTest, AnOutputThatCannotBeWrittenExitsWithFive) {
    writeFile(folder.path() / "afile", "x");
    const CliResult r = run({"--positive", positive, "--finish", "20", "--sub", "5", "--stages",
                             "search", "--export-text", "afile/out.txt"});
    EXPECT_EQ(r.exitCode, 5) << r.err;
    EXPECT_THAT(r.err, HasSubstr("afile/out.txt"));
    EXPECT_EQ(readFile(folder.path() / "afile"), "x");

    const CliResult json = run({"--positive", positive, "--finish", "20", "--sub", "5", "--stages",
                                "none", "--json", "no/such/folder/s.json"});
    EXPECT_EQ(json.exitCode, 5) << json.err;
    EXPECT_THAT(json.err, HasSubstr("no/such/folder/s.json"));
}

TEST_F(CliRunTest, CtrlCStopsTheSearchAndWritesNothing) {
    SCOPED_TRACE(kSeedNote);
    writeFile(folder.path() / "big.seq", generatedSample(2024, 300, 60, 3));
    // The search is held before its first step until it is stopped, so it is live whenever
    // Ctrl-C comes; wait until it reports progress, then press Ctrl-C.
    const CliResult r =
        interruptWhenShown({"--positive", "big.seq", "--finish", "3000", "--sub", "300", "--save",
                            "big.dnp", "--json", "big.json"},
                           folder.path(), "regularity search", "regularity search, ");
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_THAT(r.err, HasSubstr("stopping the regularity search"));
    EXPECT_THAT(r.err,
                HasSubstr("interrupted: the regularity search was stopped; no output file was "
                          "written"));
    EXPECT_FALSE(exists("big.dnp"));
    EXPECT_FALSE(exists("big.json"));
    EXPECT_EQ(r.out, "");
}

TEST_F(CliRunTest, CtrlCStopsTheBootstrapBetweenIterations) {
    const CliResult r = interruptWhenShown(
        {"--positive", positive, "--negative", negative, "--control-negative", negative, "--finish",
         "40", "--sub", "10", "--stages", "search,idealize,bootstrap", "--bootstrap", "10,500",
         "--json", "b.json"},
        folder.path(), "bootstrap", "bootstrap, ");
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_THAT(r.err, HasSubstr("interrupted: the bootstrap was stopped"));
    EXPECT_FALSE(exists("b.json"));
}

TEST_F(CliRunTest, ShiftPositionsScanTheLongControlSequences) {
    SCOPED_TRACE("generated samples: std::mt19937 seeds 41, 42");
    writeFile(folder.path() / "pos.seq", generatedSample(41, 24, 16, 2));
    writeFile(folder.path() / "long.seq", generatedSample(42, 2, 40, 1));
    const CliResult r =
        run({"--positive", "pos.seq", "--control-negative", "long.seq", "--mode", "shift",
             "--width", "8", "--finish", "50", "--sub", "10", "--json", "s.json", "--report", "s"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json summary = json::parse(readFile(folder.path() / "s.json"));
    // Errors and bootstrap are not offered in shift positions; the recognition scans.
    EXPECT_EQ(summary["stages"], json({"search", "idealize", "classify", "recognize"}));
    EXPECT_EQ(summary["settings"]["mode"], "shift");
    EXPECT_EQ(summary["settings"]["objectWidth"], 8);
    EXPECT_EQ(summary["recognition"]["kind"], "scan");
    EXPECT_EQ(summary["recognition"]["class"], 1);
    // One window per start position: 2 x (40 - 8 + 1).
    EXPECT_EQ(summary["recognition"]["windowScores"].size(), 66u);
    EXPECT_THAT(r.out, HasSubstr("over 66 windows"));
    EXPECT_THAT(readFile(folder.path() / "s.html"), HasSubstr("Long Seq Recognition Results"));
    for (const json& rule : summary["rules"]) {
        EXPECT_GE(rule["target"].get<int>(), 1);
        EXPECT_LE(rule["target"].get<int>(), 8);
    }
}

TEST_F(CliRunTest, HelpAndVersionExitWithZero) {
    const CliResult help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("--bootstrap"));
    const CliResult version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("motifora-cli ", 0), 0u);
}

}  // namespace
}  // namespace motifora::clitest
