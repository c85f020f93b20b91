// Tests of the text export: the golden file, the absent sections and the class column.
#include <gtest/gtest.h>

#include <filesystem>

#include "GoldenFile.h"
#include "io/SafeFile.h"
#include "io/TextExport.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

using testing::golden;
using testing::readBytes;

std::vector<Sequence> sequences(
    const std::vector<std::pair<std::string, std::string>>& namesAndTexts) {
    std::vector<Sequence> out(namesAndTexts.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i].assign(namesAndTexts[i].second, namesAndTexts[i].first, 1);
    return out;
}

GridText grid(int32_t columns, std::vector<std::vector<std::string>> rows) {
    return {columns, std::move(rows)};
}

const std::string kRule1 = "1=A =>   [4] = (A:0.000000) (C:0.000000) (G:0.000000) (T:0.750000) ";
const std::string kRule2 =
    "1=A & 2=-G =>   [4] = (A:-0.600000) (C:0.000000) (G:0.000000) (T:0.000000) ";
const std::string kRule3 = "3=G =>   [4] = (A:0.800000) (C:0.000000) (G:0.000000) (T:0.000000) ";

struct Workspace {
    std::vector<Sequence> learnPositive =
        sequences({{"seq1", "ACGT"}, {"seq2", "ACGA"}, {"seq3", "TTGA"}});
    SEQStorage storage;
    TextExportSource source;

    Workspace() {
        storage.buildWhole(learnPositive.data(), 3);
        storage.learnObjects[0].classNumber = 0;
        storage.learnObjects[1].classNumber = 1;
        source.learnPositive = learnPositive;
        source.learnPositiveLoaded = true;
        source.storage = &storage;
        source.rulesPresent = true;
        source.ruleCount = 3;
        source.rulesGrid = grid(5, {{"#", "Fisher", "Rule", "CP", "Class №"},
                                    {"1", "0.001000", kRule1, "0.750000", "1"},
                                    {"2", "0.004000", kRule2, "0.600000", ""},
                                    {"3", "0.020000", kRule3, "0.800000", "2"},
                                    {"4", "0.500000", "left over from a bigger list", "0.1", ""}});
        source.idealObjectsPresent = true;
        source.classCount = 2;
        source.idealGrid = grid(3, {{"#", "Length", "Object"},
                                    {"1", "0", "-[A]-[C]-[G]-[T]-"},
                                    {"2", "0", "-[A]-[C]-[G]-[A]-"}});
    }
};

TEST(TextExport, MatchesTheGoldenFile) {
    const Workspace w;
    EXPECT_EQ(TextExportBytes(w.source), golden("export.txt"));
}

TEST(TextExport, SequenceLineWithAndWithoutObjectTable) {
    std::vector<Sequence> one = sequences({{"seq1", "ACGT"}});
    SEQStorage storage;
    storage.buildWhole(one.data(), 1);
    storage.learnObjects[0].classNumber = 0;
    TextExportSource source;
    source.learnPositive = one;
    source.learnPositiveLoaded = true;
    source.storage = &storage;
    EXPECT_EQ(TextExportBytes(source), "1 || 4 || seq1 || ACGT || 1\n0000000000000000");
    source.storage = nullptr;
    EXPECT_EQ(TextExportBytes(source), "1 || 4 || seq1 || ACGT\n0000000000000000");
}

TEST(TextExport, AbsentSectionsAreNullMarkersWithoutLineFeeds) {
    TextExportSource source;
    EXPECT_EQ(TextExportBytes(source), "000000000000000000000000");
    source.learnPositiveLoaded = true;  // loaded, but the file held no records
    source.idealObjectsPresent = true;
    source.idealGrid = grid(3, {{"#", "Length", "Object"}});
    EXPECT_EQ(TextExportBytes(source), "00000000\n\n# || Object \n\n");
}

TEST(TextExport, RuleSectionHasAHeaderLinePlusOneLinePerRuleInTheStore) {
    Workspace w;
    const std::string all = TextExportBytes(w.source);
    const size_t rules = all.find("# || Fisher");
    const size_t ideal = all.find("# || Object");
    ASSERT_NE(rules, std::string::npos);
    const std::string section = all.substr(rules, ideal - rules);
    EXPECT_EQ(std::count(section.begin(), section.end(), '\n'), 4 + 2);  // four lines, then "\n\n"
    EXPECT_EQ(section.find("left over"), std::string::npos);

    w.source.ruleCount = 0;  // an empty rule store still writes its header row
    const std::string empty = TextExportBytes(w.source);
    EXPECT_NE(empty.find("\n\n# || Fisher || Rule || CP\n\n\n# || Object"), std::string::npos);
}

TEST(TextExport, WindowStorageWithFewerObjectsThanSequencesLeavesTheClassOut) {
    std::vector<Sequence> records = sequences({{"long", "ACGTACGT"}, {"short", "AC"}});
    SEQStorage storage;
    storage.buildWindows(records.data(), 1, 8);  // one window: fewer objects than sequences
    storage.learnObjects[0].classNumber = 2;
    TextExportSource source;
    source.learnPositive = records;
    source.learnPositiveLoaded = true;
    source.storage = &storage;
    EXPECT_EQ(TextExportBytes(source),
              "1 || 8 || long || ACGTACGT || 3\n2 || 2 || short || AC\n0000000000000000");
}

TEST(TextExport, WritesTheFileAndReportsAFileThatCannotBeWritten) {
    const test::TempDir folder("motifora-io-text-export");
    const std::filesystem::path& dir = folder.root();
    const Workspace w;
    const std::string name = WithExtension((dir / "export.TXT").string(), ".txt");
    EXPECT_EQ(std::filesystem::path(name).filename(), "export.TXT.txt");
    ASSERT_TRUE(WriteTextExport(name, w.source).ok);
    EXPECT_EQ(readBytes(name), golden("export.txt"));

    const Status status = WriteTextExport((dir / "missing" / "export.txt").string(), w.source);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("missing"), std::string::npos) << status.message;
}

}  // namespace
}  // namespace motifora
