// `motifora-cli scan` run as a program: BED and bedGraph agree with each other, read in bedtools,
// do not depend on the thread count or compression, and the command's refusals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <random>

#include "CliTestSupport.h"

namespace motifora::clitest {
namespace {

using ::testing::HasSubstr;

// Runs a shell command in `folder`; returns its exit status.
int shell(const std::string& command, const fs::path& folder) {
    const std::string line = "cd '" + folder.string() + "' && " + command;
    return std::system(line.c_str());
}

class ScanCommand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder();
        const TempFolder& f = *folder_;
        writeFile(f / "pos.seq", generatedSample(7, 40, 12, 2));
        const CliResult made = runCli({"--positive", f / "pos.seq", "--stages", "search,idealize",
                                       "--save", f / "model.dnp", "--quiet"},
                                      f.path());
        ASSERT_EQ(made.exitCode, 0) << made.err;
        // Three records with N runs, soft-masked stretches and an ambiguity letter; the last is
        // shorter than the window.
        std::mt19937 random(20261207u);
        std::string fasta;
        for (int r = 1; r <= 3; ++r) {
            std::string letters;
            const int length = r == 3 ? 7 : 4000 + 1000 * r;
            for (int i = 0; i < length; ++i) letters.push_back("ACGT"[random() % 4]);
            if (r != 3) {
                letters.replace(100, 30, std::string(30, 'N'));
                letters[500] = 'R';
                for (int i = 600; i < 700; ++i) letters[i] = static_cast<char>(letters[i] + 32);
                letters.replace(800, 12, "TATAATCCCCGC");
            }
            fasta += ">chr" + std::to_string(r) + " test record\n";
            for (size_t i = 0; i < letters.size(); i += 70) fasta += letters.substr(i, 70) + "\n";
        }
        writeFile(f / "genome.fa", fasta);
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static CliResult scan(const std::vector<std::string>& extra) {
        std::vector<std::string> arguments = {"scan", "--open", *folder_ / "model.dnp", "--quiet"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return runCli(arguments, folder_->path());
    }
    static TempFolder* folder_;
};

TempFolder* ScanCommand::folder_ = nullptr;

TEST_F(ScanCommand, BedAndBedGraphAgreeAndBedtoolsReadThem) {
    const TempFolder& f = *folder_;
    const CliResult run = scan({"--genome", f / "genome.fa", "--classes", "1", "--level", "0",
                                "--bed", f / "hits.bed", "--bedgraph", f / "scores.bedGraph"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto bed = tsvRows(readFile(f / "hits.bed"));
    const auto graph = tsvRows(readFile(f / "scores.bedGraph"));
    ASSERT_GT(bed.size(), 1u);
    ASSERT_GT(graph.size(), 1u);
    EXPECT_EQ(bed[0][0].rfind("track name=\"model.dnp\" description=", 0), 0u) << bed[0][0];
    EXPECT_EQ(graph[0][0].rfind("track type=bedGraph name=\"model.dnp scores\"", 0), 0u);

    // One bedGraph line per scored window start: (5000 - 11) + (6000 - 11) starts less those
    // whose window holds an N run letter or the R.
    std::map<std::pair<std::string, int64_t>, double> best;
    for (size_t i = 1; i < graph.size(); ++i) {
        ASSERT_EQ(graph[i].size(), 4u);
        const int64_t start = std::stoll(graph[i][1]);
        EXPECT_EQ(std::stoll(graph[i][2]), start + 1);
        best[{graph[i][0], start}] = std::stod(graph[i][3]);
    }
    const int64_t skipped = 2 * ((30 + 11) + (1 + 11));
    EXPECT_EQ(static_cast<int64_t>(graph.size() - 1), (5000 - 11) + (6000 - 11) - skipped);
    EXPECT_EQ(best.count({"chr1", 100 - 11}), 0u);  // its window reaches the first N
    EXPECT_EQ(best.count({"chr1", 100 - 12}), 1u);
    EXPECT_EQ(best.count({"chr3", 0}), 0u);  // shorter than the window
    EXPECT_THAT(run.out, HasSubstr("Scanned 3 records, 11007 letters"));

    // Each hit is a 12-letter window whose score (one class, one strand) is its bedGraph value
    // and reaches the level; every window reaching the level is a hit.
    int64_t reaching = 0;
    for (const auto& [key, value] : best) reaching += value >= 0 ? 1 : 0;
    EXPECT_EQ(static_cast<int64_t>(bed.size() - 1), reaching);
    for (size_t i = 1; i < bed.size(); ++i) {
        ASSERT_EQ(bed[i].size(), 6u);
        const int64_t start = std::stoll(bed[i][1]);
        EXPECT_EQ(std::stoll(bed[i][2]), start + 12);
        EXPECT_EQ(bed[i][3], "class1");
        EXPECT_EQ(bed[i][5], "+");
        ASSERT_EQ(best.count({bed[i][0], start}), 1u);
        EXPECT_EQ(std::stod(bed[i][4]), (best[{bed[i][0], start}]));
    }

    // bedtools takes the files unchanged: merge needs sorted input and fails otherwise.
    EXPECT_EQ(shell("bedtools merge -i hits.bed > merged.bed", f.path()), 0);
    EXPECT_EQ(shell("bedtools sort -i hits.bed > sorted.bed", f.path()), 0);
    EXPECT_EQ(tsvRows(readFile(f / "sorted.bed")).size(), bed.size() - 1);
    EXPECT_EQ(shell("bedtools merge -i scores.bedGraph -c 4 -o max > /dev/null", f.path()), 0);
}

TEST_F(ScanCommand, SameBytesWhateverThreadsCompressionOrIndex) {
    const TempFolder& f = *folder_;
    const std::vector<std::string> common = {"--strand", "both", "--level", "1", "--merge"};
    auto run = [&](const std::string& genome, const std::string& tag,
                   std::vector<std::string> extra) {
        std::vector<std::string> arguments = {
            "--genome", genome, "--bed", f / (tag + ".bed"), "--bedgraph", f / (tag + ".bedGraph")};
        arguments.insert(arguments.end(), common.begin(), common.end());
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const CliResult result = scan(arguments);
        EXPECT_EQ(result.exitCode, 0) << tag << ": " << result.err;
        return readFile(f / (tag + ".bed")) + "\n--\n" + readFile(f / (tag + ".bedGraph"));
    };
    const std::string one = run(f / "genome.fa", "one", {});
    EXPECT_THAT(one, HasSubstr("\t-\n"));
    EXPECT_EQ(run(f / "genome.fa", "two", {"--threads", "3"}), one);
    ASSERT_EQ(shell("gzip -c genome.fa > genome.fa.gz", f.path()), 0);
    EXPECT_EQ(run(f / "genome.fa.gz", "gz", {}), one);
    EXPECT_EQ(shell("bedtools merge -s -i one.bed -c 4 -o distinct > /dev/null", f.path()), 0);

    // Record by record through the index, concatenated without the repeated track lines.
    ASSERT_EQ(shell("samtools faidx genome.fa", f.path()), 0);
    std::string bedParts;
    std::string graphParts;
    for (const char* record : {"chr1", "chr2", "chr3"}) {
        const std::string part =
            run(f / "genome.fa", std::string("part-") + record, {"--record", record});
        const std::string bedText = readFile(f / (std::string("part-") + record + ".bed"));
        const std::string graphText = readFile(f / (std::string("part-") + record + ".bedGraph"));
        if (bedParts.empty()) bedParts = bedText.substr(0, bedText.find('\n') + 1);
        if (graphParts.empty()) graphParts = graphText.substr(0, graphText.find('\n') + 1);
        bedParts += bedText.substr(bedText.find('\n') + 1);
        graphParts += graphText.substr(graphText.find('\n') + 1);
    }
    EXPECT_EQ(bedParts + "\n--\n" + graphParts, one);
}

// --level-from-cv cross-validates the project's learning samples as the batch run's
// --cross-validate does, and takes as hits the windows scoring above that level.
TEST_F(ScanCommand, LevelFromCrossValidationOfTheProjectsLearningSamples) {
    const TempFolder& f = *folder_;
    writeFile(f / "neg.seq", generatedSample(9, 40, 12, 0));
    const CliResult made =
        runCli({"--positive", f / "pos.seq", "--negative", f / "neg.seq", "--stages",
                "search,idealize", "--save", f / "both.dnp", "--quiet"},
               f.path());
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const CliResult evaluated =
        runCli({"--open", f / "both.dnp", "--stages", "none", "--cross-validate", "3,2", "--json",
                f / "cv.json", "--quiet"},
               f.path());
    ASSERT_EQ(evaluated.exitCode, 0) << evaluated.err;
    const double expected =
        nlohmann::json::parse(readFile(f / "cv.json"))["crossValidation"]["pooled"]["level"]
            .get<double>();

    const CliResult run =
        runCli({"scan", "--open", f / "both.dnp", "--quiet", "--genome", f / "genome.fa",
                "--level-from-cv", "--cross-validate", "3,2", "--bed", f / "cv.bed"},
               f.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string prefix = "Cross-validated level: ";
    ASSERT_EQ(run.out.rfind(prefix, 0), 0u) << run.out;
    const std::string shown =
        run.out.substr(prefix.size(), run.out.find(' ', prefix.size()) - prefix.size());
    EXPECT_EQ(std::stod(shown), expected) << run.out;
    EXPECT_THAT(run.out,
                HasSubstr("3 folds, seed 2, 40 positives and 40 negatives held out; AUC "));

    // The same hits as --level just above the cross-validated one.
    char above[64];
    const auto end =
        std::to_chars(above, above + sizeof above,
                      std::nextafter(expected, std::numeric_limits<double>::infinity()))
            .ptr;
    const CliResult direct =
        runCli({"scan", "--open", f / "both.dnp", "--quiet", "--genome", f / "genome.fa", "--level",
                std::string(above, end), "--bed", f / "direct.bed"},
               f.path());
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    const std::string hits = readFile(f / "cv.bed");
    EXPECT_EQ(hits, readFile(f / "direct.bed"));
    for (const auto& row : tsvRows(hits.substr(hits.find('\n') + 1)))
        EXPECT_GT(std::stod(row[4]), expected);
}

// --score discriminative learns the discriminative rules of the project's learning samples and
// scores every window with them; its hits are named for the score, and it needs the negatives.
TEST_F(ScanCommand, TheDiscriminativeScoreIsLearnedFromTheProjectsSamples) {
    const TempFolder& f = *folder_;
    writeFile(f / "neg.seq", generatedSample(9, 40, 12, 0));
    const CliResult made = runCli({"--positive", f / "pos.seq", "--negative", f / "neg.seq",
                                   "--stages", "none", "--save", f / "samples.dnp", "--quiet"},
                                  f.path());
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const CliResult run =
        runCli({"scan", "--open", f / "samples.dnp", "--quiet", "--genome", f / "genome.fa",
                "--score", "discriminative", "--level", "0", "--bed", f / "d.bed"},
               f.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr(" rules found on the project's 40 learning positives and 40 "
                                   "learning negatives\n"));
    const std::string bed = readFile(f / "d.bed");
    EXPECT_THAT(bed.substr(0, bed.find('\n')),
                HasSubstr("(discriminative score, strand +, level 0)"));
    const auto rows = tsvRows(bed.substr(bed.find('\n') + 1));
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        EXPECT_EQ(row[3], "discriminative");
        EXPECT_GE(std::stod(row[4]), 0.0);
    }

    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } refused[] = {
        {{"--open", f / "model.dnp", "--score", "discriminative"},
         4,
         "--score discriminative: " + (f / "model.dnp") +
             " holds no learning negative sample; the discriminative score is learned from the "
             "learning positives against the learning negatives"},
        {{"--open", f / "samples.dnp", "--score", "discriminative", "--classes", "1"},
         2,
         "--classes chooses classes of the class score"},
        {{"--open", f / "samples.dnp", "--score", "classes"}, 2, "--score"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> arguments = {"scan", "--quiet", "--genome", f / "genome.fa"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliResult r = runCli(arguments, f.path());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.message));
    }
}

TEST_F(ScanCommand, RefusalsSayWhatIsWrong) {
    const TempFolder& f = *folder_;
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"--genome", f / "genome.fa", "--bed", f / "x.bed"}, 2, "--bed needs --level"},
        {{"--genome", f / "genome.fa", "--level-from-cv"},
         4,
         "--level-from-cv: no level can be had from " + (f / "model.dnp") +
             ": cross-validation needs a learning negative sample; give --level instead"},
        {{"--genome", f / "genome.fa", "--level", "1", "--level-from-cv"}, 2, "--level"},
        {{"--genome", f / "genome.fa", "--balanced"}, 2, "--balanced requires --level-from-cv"},
        {{"--genome", f / "genome.fa", "--level-from-cv", "--cross-validate", "1,2"},
         2,
         "--cross-validate: \"1,2\" is not K[,SEED]"},
        {{"--genome", f / "genome.fa", "--level-from-cv", "--cross-validate", "3,x"},
         2,
         "the seed \"x\" is not a whole number"},
        {{"--genome", f / "genome.fa", "--level-from-cv", "--wanted-first-error", "1,5"},
         2,
         "--wanted-first-error: \"1,5\" is not a number from 0 to 1"},
        {{"--genome", f / "genome.fa", "--level-from-cv", "--classes", "999"},
         2,
         "class 999 does not exist"},
        {{"--genome", f / "genome.fa", "--classes", "0"}, 2, "is not a list of class numbers"},
        {{"--genome", f / "genome.fa", "--classes", "999"}, 2, "class 999 does not exist"},
        {{"--genome", f / "genome.fa", "--level", "x1"}, 2, "\"x1\" is not a number"},
        {{"--genome", f / "missing.fa"}, 3, "missing.fa: cannot open the file"},
        {{"--genome", f / "genome.fa", "--record", "chrX"}, 3, "no record named \"chrX\""},
        {{"--genome", f / "genome.fa", "--strand", "-"}, 2, "--strand"},
        {{"--genome", f / "genome.fa", "--threads", "0x10"},
         2,
         "--threads: \"0x10\" is not a whole number from 1 to 256"},
        {{"--genome", f / "genome.fa", "--classes", "1-"}, 2, "\"1-\" is not a list"},
        {{"--genome", f / "genome.fa", "--classes", "2000000"}, 2, "class 2000000 does not exist"},
    };
    for (const auto& c : cases) {
        const CliResult run = scan(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.message << ": " << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.message));
    }
    // Without output files the scan only reports what it read.
    const CliResult counted = scan({"--genome", f / "genome.fa", "--threads", "2"});
    EXPECT_EQ(counted.exitCode, 0) << counted.err;
    EXPECT_THAT(counted.out, HasSubstr("Scanned 3 records, 11007 letters: "));
    // A failed scan leaves an earlier output as it was.
    writeFile(f / "keep.bed", "earlier\n");
    const CliResult failed =
        scan({"--genome", f / "missing.fa", "--level", "0", "--bed", f / "keep.bed"});
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(readFile(f / "keep.bed"), "earlier\n");
}

// BED, bedGraph and the project go through the same writer: a link is never replaced (the file
// it points at is written and the link stays), and a named pipe nobody reads is refused with
// the same words for each of them.
TEST_F(ScanCommand, TrackOutputsAndTheProjectAreProtectedAlike) {
    const TempFolder& f = *folder_;
    ASSERT_EQ(::mkfifo((f / "nobody.dnp").c_str(), 0600), 0);
    const std::string refusal =
        "Cannot open \"" + (f / "nobody.dnp") + "\": no program reads from this named pipe.";
    const CliResult saved = runCli(
        {"--open", f / "model.dnp", "--stages", "none", "--quiet", "--save", f / "nobody.dnp"},
        f.path());
    EXPECT_NE(saved.exitCode, 0);
    EXPECT_THAT(saved.err, HasSubstr(refusal));
    for (const std::string option : {"--bed", "--bedgraph"}) {
        SCOPED_TRACE(option);
        const std::string target = "target" + option.substr(2);
        const std::string link = "link" + option.substr(2);
        writeFile(f / target, "earlier\n");
        fs::remove(f / link);
        fs::create_symlink(target, f / link);
        const CliResult linked =
            scan({"--genome", f / "genome.fa", "--level", "0", option, f / link});
        ASSERT_EQ(linked.exitCode, 0) << linked.err;
        EXPECT_TRUE(fs::is_symlink(f / link));
        EXPECT_EQ(readFile(f / target).rfind("track ", 0), 0u) << readFile(f / target);

        const CliResult piped =
            scan({"--genome", f / "genome.fa", "--level", "0", option, f / "nobody.dnp"});
        EXPECT_EQ(piped.exitCode, 5) << piped.err;
        EXPECT_THAT(piped.err, HasSubstr(refusal));
        EXPECT_TRUE(fs::is_fifo(f / "nobody.dnp"));
    }
}

// The outputs go through the safe writer: a device stays a device, a link stays a link, a named
// pipe nobody reads is refused at once, and everything is checked before a cross-validation.
TEST_F(ScanCommand, OutputsAreWrittenSafelyAndCheckedFirst) {
    const TempFolder& f = *folder_;
    const std::vector<std::string> base = {"--genome", f / "genome.fa", "--level", "0"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), base.begin(), base.end());
        return scan(more);
    };
    writeFile(f / "real.bed", "earlier\n");
    fs::create_symlink("real.bed", f / "link.bed");
    const CliResult linked = with({"--bed", f / "link.bed"});
    ASSERT_EQ(linked.exitCode, 0) << linked.err;
    EXPECT_TRUE(fs::is_symlink(f / "link.bed"));
    EXPECT_EQ(readFile(f / "real.bed").rfind("track name=", 0), 0u);

    if (::mknod((f / "t.bg").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        const CliResult device = with({"--bedgraph", f / "t.bg"});
        EXPECT_EQ(device.exitCode, 0) << device.err;
        EXPECT_TRUE(fs::is_character_file(f / "t.bg"));
    }

    ASSERT_EQ(::mkfifo((f / "nobody.bg").c_str(), 0600), 0);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } refused[] = {
        {{"--bedgraph", f / "nobody.bg"},
         "Cannot open \"" + (f / "nobody.bg") + "\": no program reads from this named pipe."},
        {{"--bed", f / "same.bed", "--bedgraph", f / "same.bed"},
         "--bed and --bedgraph name the same file"},
        {{"--bedgraph", f / "x.bg", "--bigwig", f / "nobody.bg"}, "must be a regular file"},
    };
    for (const auto& c : refused) {
        const CliResult run = with(c.arguments);
        EXPECT_EQ(run.exitCode, 5) << run.err;
        EXPECT_THAT(run.err, HasSubstr(c.message));
    }
    // An output that cannot be written is refused before the cross-validation takes its time.
    writeFile(f / "neg.seq", generatedSample(9, 40, 12, 0));
    const CliResult early = scan({"--genome", f / "genome.fa", "--level-from-cv", "--bed",
                                  (f.path() / "no" / "such" / "folder.bed").string()});
    EXPECT_EQ(early.exitCode, 5) << early.err;
    EXPECT_THAT(early.err, HasSubstr("folder.bed"));
    EXPECT_EQ(early.out, "");
    EXPECT_FALSE(fs::exists(f / "x.bg"));
}

// A disk that fills up (here a file size limit) while the bedGraph is written: the scan stops,
// exits 5, names the files not written and leaves the earlier ones as they were.
TEST_F(ScanCommand, AFullDiskLeavesEveryEarlierOutputAsItWas) {
    const TempFolder& f = *folder_;
    writeFile(f / "full.bed", "earlier hits\n");
    writeFile(f / "full.bg", "earlier scores\n");
    const std::string command = "trap '' XFSZ; ulimit -f 20; exec '" +
                                std::string(MOTIFORA_CLI_PATH) + "' scan --open model.dnp " +
                                "--genome genome.fa --quiet --level 1000 --bed full.bed " +
                                "--bedgraph full.bg 2> full.err";
    EXPECT_EQ(WEXITSTATUS(shell("sh -c \"" + command + "\"", f.path())), 5);
    const std::string err = readFile(f / "full.err");
    EXPECT_THAT(err, HasSubstr("Cannot write \"full.bg\": File too large."));
    EXPECT_THAT(err, HasSubstr("Not written: \"full.bed\" and \"full.bg\"."));
    EXPECT_EQ(readFile(f / "full.bed"), "earlier hits\n");
    EXPECT_EQ(readFile(f / "full.bg"), "earlier scores\n");
    for (const auto& entry : fs::directory_iterator(f.path()))
        EXPECT_EQ(entry.path().filename().string().find(".motifora-tmp-"), std::string::npos);
}

// The level, the class list and the thread count read as the main options read them: blanks, a
// decimal comma, a '+' and a comma after the last class are taken.
TEST_F(ScanCommand, OptionsReadAsTheMainOptionsReadThem) {
    const TempFolder& f = *folder_;
    const CliResult loose = scan({"--genome", f / "genome.fa", "--classes", " +1 ,", "--level",
                                  "0,5 ", "--threads", " 2", "--bed", f / "loose.bed"});
    ASSERT_EQ(loose.exitCode, 0) << loose.err;
    const CliResult plain = scan({"--genome", f / "genome.fa", "--classes", "1", "--level", "0.5",
                                  "--bed", f / "plain.bed"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(readFile(f / "loose.bed"), readFile(f / "plain.bed"));
    EXPECT_GT(tsvRows(readFile(f / "plain.bed")).size(), 1u);
}

TEST_F(ScanCommand, TheBigWigReadsBackAsTheBedGraphAndClassesCountOnce) {
    const TempFolder& f = *folder_;
    const CliResult run =
        scan({"--genome", f / "genome.fa", "--strand", "both", "--classes", "1,1", "--level", "0",
              "--bed", f / "once.bed", "--bedgraph", f / "w.bedGraph", "--bigwig", f / "w.bw"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const CliResult single = scan({"--genome", f / "genome.fa", "--strand", "both", "--classes",
                                   "1", "--level", "0", "--bed", f / "single.bed"});
    ASSERT_EQ(single.exitCode, 0) << single.err;
    EXPECT_EQ(readFile(f / "once.bed"), readFile(f / "single.bed"));
    // Read by another program: every bedGraph line is an interval of the bigWig with the same
    // value in single precision, and nothing else is.
    writeFile(f / "compare.py", R"(import pyBigWig, struct, sys
bw = pyBigWig.open("w.bw")
found = {(c, s): v for c in bw.chroms() for s, e, v in (bw.intervals(c) or []) if e == s + 1}
lines = [l.split() for l in open("w.bedGraph") if not l.startswith("track")]
expected = {(c, int(s)): struct.unpack("f", struct.pack("f", float(v)))[0] for c, s, e, v in lines}
print(len(expected), "values")
sys.exit(0 if found == expected and bw.chroms() == {"chr1": 5000, "chr2": 6000, "chr3": 7} else 1)
)");
    EXPECT_EQ(shell("/usr/bin/python3 compare.py > compare.out", f.path()), 0)
        << readFile(f / "compare.out");
    // As many values as in the first test's bedGraph: scored window starts of chr1 and chr2.
    EXPECT_THAT(readFile(f / "compare.out"),
                HasSubstr(std::to_string((5000 - 11) + (6000 - 11) - 2 * ((30 + 11) + (1 + 11))) +
                          " values"));
}

}  // namespace
}  // namespace motifora::clitest
