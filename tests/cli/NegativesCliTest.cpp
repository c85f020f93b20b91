// motifora-cli making its learning negative sample: shuffles of the positives keeping every
// dinucleotide count, or GC-matched windows of a gzipped FASTA genome, written as an ordinary
// sample that is loaded and saved into the project like any other.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "CliTestSupport.h"
#include "core/FileManager.h"
#include "evaluation/Background.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;

std::vector<Sequence> readSeq(const fs::path& path) {
    std::vector<Sequence> records;
    EXPECT_TRUE(readSeqFile(path.string(), records).ok) << path;
    return records;
}

std::map<std::string, int> dimers(const std::string& text) {
    std::map<std::string, int> counts;
    for (size_t i = 0; i + 2 <= text.size(); ++i) ++counts[text.substr(i, 2)];
    return counts;
}

TEST(NegativesCli, ShuffledNegativesKeepDimersAndStayInTheProject) {
    TempFolder folder;
    const std::string positive = kExamples + "/promoters_pos.seq";
    const CliResult r =
        runCli({"--positive", positive, "--shuffled-negatives", "60,2,7", "--generated-negatives",
                "neg.seq", "--stages", "search", "--finish", "40", "--save", "p.dnp"},
               folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("learning negative 60"));
    const std::vector<Sequence> positives = readSeq(positive);
    const std::vector<Sequence> made = readSeq(folder.path() / "neg.seq");
    ASSERT_EQ(made.size(), 60u);
    for (size_t i = 0; i < made.size(); ++i) {
        const Sequence& from = positives[i % positives.size()];
        EXPECT_EQ(made[i].name, "shuffled" + std::to_string(i + 1) + "_" + from.name);
        EXPECT_EQ(dimers(made[i].text), dimers(from.text)) << made[i].name;
    }
    // The same request makes the same sample; the project holds it as its negatives.
    const CliResult again =
        runCli({"--positive", positive, "--shuffled-negatives", "60,2,7", "--generated-negatives",
                "again.seq", "--stages", "search", "--finish", "40"},
               folder.path());
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(readFile(folder.path() / "again.seq"), readFile(folder.path() / "neg.seq"));
    const CliResult opened = runCli({"--open", "p.dnp", "--stages", "search"}, folder.path());
    ASSERT_EQ(opened.exitCode, 0) << opened.err;
    EXPECT_THAT(opened.out, HasSubstr("learning negative 60"));
}

TEST(NegativesCli, GenomeWindowsMatchTheGcBinsOfThePositives) {
    TempFolder folder;
    // A genome of an AT-rich, an even and a GC-rich chromosome, gzipped as a .fa.gz.
    std::mt19937 random(4);
    std::string fasta;
    for (const char* letters : {"AATTTACGAT", "ACGTACGTAC", "GGCCCGTAGC"}) {
        fasta += ">chr" + std::string(letters, 3) + " test\n";
        for (int line = 0; line < 400; ++line) {
            for (int i = 0; i < 60; ++i) fasta += letters[random() % 10];
            fasta += "\n";
        }
    }
    writeFile(folder.path() / "g.fa", fasta);
    ASSERT_EQ(std::system(("gzip -f " + (folder.path() / "g.fa").string()).c_str()), 0);
    const std::string positive = kExamples + "/promoters_pos.seq";
    const CliResult r =
        runCli({"--positive", positive, "--background-genome", "g.fa.gz", "--background-count",
                "80", "--background-seed", "3", "--generated-negatives", "neg.seq", "--stages",
                "search", "--finish", "40"},
               folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<Sequence> made = readSeq(folder.path() / "neg.seq");
    ASSERT_EQ(made.size(), 80u);
    const std::vector<Sequence> positives = readSeq(positive);
    std::vector<int> positiveBins(10, 0), madeBins(10, 0);
    for (const Sequence& p : positives) ++positiveBins[gcBin(gcFraction(p.text), 10)];
    for (const Sequence& m : made) {
        EXPECT_EQ(m.text.size(), 57u);
        EXPECT_EQ(m.text.find_first_not_of("ACGT"), std::string::npos);
        ++madeBins[gcBin(gcFraction(m.text), 10)];
    }
    const BackgroundWindows wanted =
        gcMatchedWindows({{"x", std::string(100, 'A')}}, positives, 80, 1);
    EXPECT_EQ(madeBins, wanted.wanted);
}

TEST(NegativesCli, AGenomeThatCannotFillTheBinsIsRefused) {
    TempFolder folder;
    writeFile(folder.path() / "g.fa", ">n\n" + std::string(600, 'N') + "\n");
    const CliResult r =
        runCli({"--positive", kExamples + "/promoters_pos.seq", "--background-genome", "g.fa",
                "--background-count", "10", "--generated-negatives", "neg.seq"},
               folder.path());
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_THAT(r.err, HasSubstr("gave 0 of the 10 windows wanted"));
    EXPECT_FALSE(fs::exists(folder.path() / "neg.seq"));
}

}  // namespace
}  // namespace motifora::clitest
