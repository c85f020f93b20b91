// Runs of motifora-cli against hostile inputs and outputs: standard output as an output, outputs
// checked before the work, the reader's refusals and warnings, damaged projects and the report
// after a recognition of all classes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using nlohmann::json;

class CliHardeningTest : public CliFolderTest {};

TEST_F(CliHardeningTest, ADashSendsTheJsonSummaryOrTheTextExportToStandardOutput) {
    const std::vector<std::string> search = {"--positive", positive, "--finish", "20",
                                             "--sub",      "5",      "--stages", "search"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = search;
        all.insert(all.end(), more.begin(), more.end());
        return run(all);
    };
    const CliResult toFile = with({"--export-text", "e.txt", "--json", "s.json"});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;

    const CliResult jsonOut = with({"--json", "-"});
    ASSERT_EQ(jsonOut.exitCode, 0) << jsonOut.err;
    // Standard output holds the summary object alone; the lines for people go to the error
    // stream.
    const json summary = json::parse(jsonOut.out);
    EXPECT_EQ(summary["rules"], json::parse(readFile(folder.path() / "s.json"))["rules"]);
    EXPECT_THAT(jsonOut.err, HasSubstr("Rules found:"));
    EXPECT_FALSE(exists("-"));

    const CliResult textOut = with({"--export-text", "-"});
    ASSERT_EQ(textOut.exitCode, 0) << textOut.err;
    EXPECT_EQ(textOut.out, readFile(folder.path() / "e.txt"));
    EXPECT_FALSE(exists("-.txt"));

    // A project or a report on standard output is refused before anything runs.
    const CliResult project = with({"--save", "-"});
    EXPECT_EQ(project.exitCode, 2) << project.err;
    EXPECT_FALSE(exists("-.dnp"));
}

TEST_F(CliHardeningTest, DevStdoutKeepsWhatWasWrittenBeforeAndAfter) {
    const CliResult r = run({"--positive", positive, "--finish", "20", "--sub", "5", "--stages",
                             "search", "--json", "/dev/stdout"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The summary object, then the summary lines printed after it: the file the run's
    // standard output went to was written through, not replaced.
    const size_t end = r.out.find("\n}\n");
    ASSERT_NE(end, std::string::npos) << r.out;
    EXPECT_TRUE(json::accept(r.out.substr(0, end + 3))) << r.out;
    EXPECT_NE(r.out.find("Rules found:", end), std::string::npos) << r.out;
}

TEST_F(CliHardeningTest, AnOutputThatCannotBeWrittenIsFoundBeforeAnythingRuns) {
    const CliResult r = run({"--positive", positive, "--finish", "20", "--sub", "5", "--stages",
                             "search", "--save", "p.dnp", "--export-text", "nonexistent/x.txt"});
    EXPECT_EQ(r.exitCode, 5) << r.err;
    EXPECT_THAT(r.err, HasSubstr("nonexistent/x.txt"));
    EXPECT_THAT(r.err, HasSubstr("nothing was run and nothing written"));
    EXPECT_THAT(r.err, Not(HasSubstr("regularity search")));
    EXPECT_FALSE(exists("p.dnp"));

    fs::create_directory(folder.path() / "r.html");
    const CliResult folderReport = run({"--positive", positive, "--report", "r.html"});
    EXPECT_EQ(folderReport.exitCode, 5) << folderReport.err;
    EXPECT_THAT(folderReport.err, HasSubstr("it is a folder"));
}

TEST_F(CliHardeningTest, SequenceFilesAreRefusedWithTheirReason) {
    writeFile(folder.path() / "empty.seq", "");
    writeFile(folder.path() / "zeros.seq", std::string(64, '\0'));
    writeFile(folder.path() / "mac.seq", ">a;ACGT\r>b;ACGA\r");
    fs::create_symlink("/dev/zero", folder.path() / "zero.seq");
    struct Case {
        std::string file;
        const char* reason;
    } cases[] = {
        {"empty.seq", "the file is empty"},    {"zeros.seq", "only zero bytes"},
        {"mac.seq", "carriage return alone"},  {"zero.seq", "character device"},
        {"/dev/zero", "must end in \".seq\""},
    };
    for (const Case& c : cases) {
        const CliResult r = run({"--positive", c.file});
        EXPECT_EQ(r.exitCode, 3) << c.file << "\n" << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.reason)) << c.file << "\n" << r.err;
    }
}

TEST_F(CliHardeningTest, TheReadersWarningsReachStandardErrorEvenWhenQuiet) {
    writeFile(folder.path() / "long.seq",
              ">a;" + std::string(1100, 'A') + "\n>b;" + std::string(1023, 'C') + "\n");
    const CliResult r = run({"--positive", "long.seq", "--stages", "none", "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.err,
                HasSubstr("long.seq\", record 1, line 1: the letters were cut to their first 1023 "
                          "characters (77 dropped)"));
}

// What a load did to the data is a warning on standard error, quiet or not, in the language
// asked for: records cut at 1023 letters, and learning samples of mixed lengths in fixed
// positions (not in shift positions, where windows are cut from records of any length).
TEST_F(CliHardeningTest, WhatALoadDidToTheDataIsAWarning) {
    writeFile(folder.path() / "cut.seq",
              ">a;" + std::string(1100, 'A') + "\n>b;" + std::string(1023, 'C') + "\n");
    writeFile(folder.path() / "mixed.seq", ">a;ACGTACGT\n>b;ACGT\n");
    const struct {
        std::vector<std::string> arguments;
        std::string warning;
    } cases[] = {
        {{"--positive", "cut.seq", "--stages", "none", "--quiet"},
         "motifora-cli: warning: Записей обрезано до первых 1023 букв: 1 / 2\n"
         "motifora-cli: warning: Самая длинная из них в файле, букв: 1100\n"},
        {{"--positive", "cut.seq", "--stages", "none", "--lang", "en"},
         "motifora-cli: warning: Records cut to their first 1023 letters: 1 / 2\n"},
        {{"--positive", "mixed.seq", "--stages", "none", "--quiet"},
         "motifora-cli: warning: Последовательностей короче самой длинной: 1 / 2\n"
         "motifora-cli: warning: Длины в выборке, букв: 4, 8\n"},
    };
    for (const auto& c : cases) {
        const CliResult r = run(c.arguments);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.warning));
    }
    const CliResult shifted =
        run({"--positive", "mixed.seq", "--stages", "none", "--mode", "shift", "--width", "4"});
    ASSERT_EQ(shifted.exitCode, 0) << shifted.err;
    EXPECT_THAT(shifted.err, Not(HasSubstr("warning")));
}

// Writes `value` little-endian at `offset` of the file.
void patchI32(const fs::path& file, size_t offset, int32_t value) {
    std::string bytes = readFile(file);
    ASSERT_LE(offset + 4, bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    writeFile(file, bytes);
}

TEST_F(CliHardeningTest, ImpossibleProjectValuesAreRefusedAsInput) {
    const CliResult saved = run({"--positive", positive, "--mode", "shift", "--width", "10",
                                 "--stages", "none", "--save", "s.dnp"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    struct Case {
        size_t offset;
        int32_t value;
        const char* reason;
    } cases[] = {
        {28, 0x7FFFFFFF, "\"Width of scaning frame\" is 2147483647"},
        {16, 0x7FFFFFFF, "\"Size of Finish Buffer\" is 2147483647"},
        {44, 1 << 20, "record 1 starts at position 1048576"},
    };
    for (const Case& c : cases) {
        fs::copy_file(folder.path() / "s.dnp", folder.path() / "d.dnp",
                      fs::copy_options::overwrite_existing);
        patchI32(folder.path() / "d.dnp", c.offset, c.value);
        const CliResult r = run({"--open", "d.dnp"});
        EXPECT_EQ(r.exitCode, 3) << c.reason << "\n" << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.reason));
        EXPECT_THAT(r.err, Not(HasSubstr("--width")));
    }
}

TEST_F(CliHardeningTest, TheReportAfterARecognitionOfAllClassesIsWritten) {
    const CliResult r =
        run({"--positive", positive, "--control-negative", negative, "--finish", "40", "--sub",
             "10", "--stages", "search,idealize,classify,recognize", "--report", "r.html"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string html = readFile(folder.path() / "r.html");
    EXPECT_THAT(html, HasSubstr("Recognition Error Counting Results"));
    EXPECT_THAT(html, HasSubstr("Learning Data"));
}

}  // namespace
}  // namespace motifora::clitest
