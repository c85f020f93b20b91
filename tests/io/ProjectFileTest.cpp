// Tests of the project file: exact bytes, round trips at every stage of the work, safe writing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "ProjectStages.h"
#include "io/ProjectFile.h"
#include "io/SafeFile.h"
#include "support/NameCases.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

using testing::allStages;
using testing::buildStage;
using testing::bytesOf;
using testing::decode;
using testing::encode;
using testing::Stage;

std::string fromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ' || hex[i] == '\n') {
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

int32_t i32At(const std::string& bytes, size_t offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return static_cast<int32_t>(v);
}

TEST(ProjectFile, SamplesOnlyProjectHasTheExactBytes) {
    ProjectData data;
    data.settings = {0.05, 0.8, 500, 50, WorkMode::kFixed, 10, IdealizationType::kDeletingBegin, 1};
    data.learnPositive.resize(1);
    data.learnPositive[0].assign("ACGT", "s1", 1);
    data.learnPositivePresent = true;

    const std::string expected = fromHex(
        "9A99999999 99A93F"           // confidence 0.05
        "9A999999 9999E93F"           // CP 0.8
        "F4010000 32000000"           // finish buffer 500, sub buffers 50
        "00000000 0A000000"           // fixed positions, frame width 10
        "00000000 01000000"           // "Deleting begin", arranged
        "01000000"                    // one learning positive record
        "01000000 04000000"           // start position 1, length 4
        "05000000 4143475400"         // "ACGT" and its zero
        "03000000 733100"             // "s1" and its zero
        "3030303030303030"            // no object table
        "3030303030303030"            // no rule store
        "3030303030303030"            // no ideal objects
        "00000000 00000000 00000000"  // control negative, control positive, learning negative
        "00000000 00000000 00000000"  // no objects of the other samples
        "3030303030303030");          // no recognition table
    EXPECT_EQ(encode(data), expected);

    const ProjectData back = decode(expected);
    EXPECT_EQ(back.settings, data.settings);
    ASSERT_EQ(back.learnPositive.size(), 1u);
    EXPECT_EQ(back.learnPositive[0].text, "ACGT");
    EXPECT_EQ(back.learnPositive[0].name, "s1");
    EXPECT_EQ(back.learnPositive[0].length, 4);
    EXPECT_EQ(back.learnPositive[0].startPosition, 1);
    EXPECT_TRUE(back.learnPositiveLoaded());
    EXPECT_FALSE(back.learnNegativeLoaded());
    EXPECT_FALSE(back.controlNegativeLoaded());
    EXPECT_FALSE(back.controlPositiveLoaded());
    EXPECT_EQ(back.storage, nullptr);
    EXPECT_EQ(back.rules, nullptr);
    EXPECT_FALSE(back.idealObjectsPresent);
    EXPECT_FALSE(back.recognitionPresent);
}

// A hand-made object table whose range fields differ, so their order in the file shows.
TEST(ProjectFile, ObjectTableWritesEndPositionBeforeFirstPositionAndRestoresBoth) {
    ProjectData data;
    data.learnPositive.resize(2);
    data.learnPositive[0].assign("ACG", "a", 1);
    data.learnPositive[1].assign("CCT", "b", 1);
    data.learnPositivePresent = true;
    data.storage = std::make_unique<SEQStorage>();
    data.storage->buildWhole(data.learnPositive.data(), 2);
    data.storage->setFirstPosition(1);
    data.storage->setEndPosition(2);
    data.storage->centerPosition = 2;
    data.storage->learnObjects[1].reserved1 = 7;
    data.storage->learnObjects[1].reserved2 = -8;

    const std::string bytes = encode(data);
    const size_t table = 40 + 4 + 2 * (8 + 4 + 4 + 4 + 2);  // header, then the two records
    EXPECT_EQ(i32At(bytes, table + 0), 2);                  // learning objects
    EXPECT_EQ(i32At(bytes, table + 4), 3);                  // width
    EXPECT_EQ(i32At(bytes, table + 8), 2);                  // endPosition
    EXPECT_EQ(i32At(bytes, table + 12), 1);                 // firstPosition
    EXPECT_EQ(i32At(bytes, table + 16), 2);                 // centerPosition
    EXPECT_EQ(i32At(bytes, table + 20), 4);                 // alphabet A C G T
    const size_t second = table + 24 + (12 + 12);
    EXPECT_EQ(i32At(bytes, second + 0), 7);
    EXPECT_EQ(i32At(bytes, second + 4), -8);
    EXPECT_EQ(i32At(bytes, second + 8), -1);  // no class
    EXPECT_EQ(i32At(bytes, second + 12), 1);  // C
    EXPECT_EQ(i32At(bytes, second + 16), 1);  // C
    EXPECT_EQ(i32At(bytes, second + 20), 3);  // T
    const size_t letters = second + 24;
    EXPECT_EQ(i32At(bytes, letters), 4);
    EXPECT_EQ(bytes.substr(letters + 4, 4), "ACGT");

    const ProjectData back = decode(bytes);
    ASSERT_NE(back.storage, nullptr);
    EXPECT_EQ(back.storage->getFirstPosition(), 1);
    EXPECT_EQ(back.storage->getEndPosition(), 2);
    EXPECT_EQ(back.storage->centerPosition, 2);
    EXPECT_EQ(back.storage->learnObjects[1].reserved1, 7);
    EXPECT_EQ(back.storage->learnObjects[1].reserved2, -8);
    EXPECT_EQ(back.storage->codeTable.codeOf('t'), 3);
    EXPECT_EQ(back.storage->codeTable.letterOf(2), 'G');
}

// The text, name, length and start of every record, to compare samples in one expectation.
std::vector<std::tuple<std::string, std::string, int32_t, int32_t>> kept(
    const std::vector<Sequence>& sample) {
    std::vector<std::tuple<std::string, std::string, int32_t, int32_t>> out;
    for (const Sequence& s : sample) out.emplace_back(s.text, s.name, s.length, s.startPosition);
    return out;
}

void expectSameObjects(const ObjectSet& a, const ObjectSet& b, int32_t count) {
    ASSERT_GE(a.size(), count);
    ASSERT_GE(b.size(), count);
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(a[i].positionCount(), b[i].positionCount());
        EXPECT_EQ(a[i].classNumber, b[i].classNumber) << "object " << i;
        for (int32_t p = 0; p < a[i].positionCount(); ++p) {
            ASSERT_EQ(a[i].codes[p], b[i].codes[p]) << "object " << i << " position " << p;
        }
    }
}

class ProjectStageRoundTrip : public ::testing::TestWithParam<Stage> {};

// Save, open, save again: the same bytes, and everything the workspace takes over is back.
TEST_P(ProjectStageRoundTrip, WriteReadWriteGivesTheSameBytesAndData) {
    const ProjectData original = buildStage(GetParam());
    const std::string first = encode(original);
    const ProjectData back = decode(first);
    EXPECT_EQ(encode(back), first);

    EXPECT_EQ(back.settings, original.settings);
    EXPECT_EQ(kept(back.learnPositive), kept(original.learnPositive));
    EXPECT_EQ(kept(back.learnNegative), kept(original.learnNegative));
    EXPECT_EQ(kept(back.controlNegative), kept(original.controlNegative));
    EXPECT_EQ(kept(back.controlPositive), kept(original.controlPositive));
    ASSERT_EQ(back.storage != nullptr, original.storage != nullptr);
    if (original.storage) {
        const SEQStorage& a = *original.storage;
        const SEQStorage& b = *back.storage;
        EXPECT_EQ(b.learnObjectCount, a.learnObjectCount);
        EXPECT_EQ(b.width, a.width);
        EXPECT_EQ(b.alphabetSize, a.alphabetSize);
        EXPECT_EQ(b.centerPosition, a.centerPosition);
        EXPECT_EQ(b.firstPosition, a.firstPosition);
        EXPECT_EQ(b.endPosition, a.endPosition);
        expectSameObjects(b.learnObjects, a.learnObjects, a.learnObjectCount);
        EXPECT_EQ(b.controlNegativeObjectCount, a.controlNegativeObjectCount);
        EXPECT_EQ(b.controlPositiveObjectCount, a.controlPositiveObjectCount);
        EXPECT_EQ(b.negativeObjectCount, a.negativeObjectCount);
        expectSameObjects(b.controlNegativeObjects, a.controlNegativeObjects,
                          a.controlNegativeObjectCount);
        expectSameObjects(b.controlPositiveObjects, a.controlPositiveObjects,
                          a.controlPositiveObjectCount);
        expectSameObjects(b.negativeObjects, a.negativeObjects, a.negativeObjectCount);
        for (int32_t i = 0; i < a.alphabetSize; ++i)
            EXPECT_EQ(b.codeTable.letterOf(i), a.codeTable.letterOf(i));
    }
    ASSERT_EQ(back.rules != nullptr, original.rules != nullptr);
    if (original.rules) {
        ASSERT_EQ(back.rules->Count(), original.rules->Count());
        EXPECT_EQ(back.rules->capacity, original.rules->capacity);
        EXPECT_EQ(back.rules->addedCount, original.rules->addedCount);
        for (int32_t i = 0; i < original.rules->Count(); ++i) {
            std::string f1, c1, r1, f2, c2, r2;
            original.rules->GetTexts(i, f1, c1, r1);
            back.rules->GetTexts(i, f2, c2, r2);
            EXPECT_EQ(r2, r1) << "rule " << i;
            EXPECT_EQ(f2, f1);
            EXPECT_EQ(c2, c1);
            const Rule& rule = *back.rules->Get(i);
            EXPECT_EQ(rule.storage, back.storage.get());
            ASSERT_EQ(rule.letterProbability.size(), static_cast<size_t>(rule.codeCount));
            EXPECT_EQ(rule.letterProbability.back(), 0.0);
            for (int32_t c = 0; c < rule.conditionCount; ++c) EXPECT_TRUE(rule.Condition(c).kept);
        }
    }
    EXPECT_EQ(back.idealObjectsPresent, original.idealObjectsPresent);
    ASSERT_EQ(back.classCount, original.classCount);
    for (int32_t k = 0; k < original.classCount; ++k) {
        EXPECT_TRUE(*back.idealObjects[static_cast<size_t>(k)] ==
                    *original.idealObjects[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(back.recognitionPresent, original.recognitionPresent);
    if (original.recognitionPresent) {
        ASSERT_EQ(back.recognition.size(), original.recognition.size());
        for (size_t r = 0; r < original.recognition.size(); ++r) {
            for (size_t c = 0; c < original.recognition[r].size(); ++c) {
                EXPECT_EQ(back.recognition[r][c].position, original.recognition[r][c].position);
                EXPECT_EQ(back.recognition[r][c].score, original.recognition[r][c].score);
            }
        }
    }
    EXPECT_EQ(back.controlNegativeClassified(),
              original.storage && original.storage->controlNegativeObjectCount > 0);
    EXPECT_EQ(back.controlPositiveClassified(),
              original.storage && original.storage->controlPositiveObjectCount > 0);
}

INSTANTIATE_TEST_SUITE_P(AllStages, ProjectStageRoundTrip, ::testing::ValuesIn(allStages()),
                         [](const auto& info) { return testing::stageName(info.param); });

TEST(ProjectFile, StagesReallyHoldWhatTheyAreNamedFor) {
    // Guards the round trips above against testing empty stages.
    const ProjectData search = buildStage(Stage::kAfterSearch);
    ASSERT_NE(search.rules, nullptr);
    EXPECT_GT(search.rules->Count(), 0);
    const ProjectData shift = buildStage(Stage::kShiftMode);
    EXPECT_EQ(shift.settings.workMode, WorkMode::kShift);
    EXPECT_EQ(shift.storage->width, 10);
    EXPECT_GT(shift.storage->learnObjectCount, static_cast<int32_t>(shift.learnPositive.size()));
    EXPECT_GT(shift.rules->Count(), 0);
    EXPECT_GT(shift.classCount, 1);
    const ProjectData all = buildStage(Stage::kWithLearnNegative);
    EXPECT_GT(all.classCount, 1);
    EXPECT_GT(all.storage->controlNegativeObjectCount, 0);
    EXPECT_GT(all.storage->controlPositiveObjectCount, 0);
    EXPECT_GT(all.storage->negativeObjectCount, 0);
    EXPECT_TRUE(all.recognitionPresent);
    // The last control positive is a learning sequence, so it has a class.
    EXPECT_EQ(all.storage->controlPositiveObjects[all.storage->controlPositiveObjectCount - 1]
                  .classNumber,
              0);
}

TEST(ProjectFile, ProjectWithoutSearchReopensWithOnlyTheSamples) {
    const std::string bytes = encode(buildStage(Stage::kSamplesOnly));
    // The file ends with the three zero sample counts, the three zero object-list counts and the
    // marker of the recognition table; the three sections before them are markers.
    const std::string tail = std::string(24, '\0') + "00000000";
    ASSERT_GT(bytes.size(), tail.size() + 24);
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size() - 24, 24), std::string(24, '0'));
    const ProjectData back = decode(bytes);
    EXPECT_TRUE(back.learnPositiveLoaded());
    EXPECT_EQ(back.storage, nullptr);
    EXPECT_EQ(back.rules, nullptr);
    EXPECT_FALSE(back.idealObjectsPresent);
    EXPECT_EQ(back.classCount, 0);
}

TEST(ProjectFile, LearningPositiveSectionFollowsTheLoadedFlag) {
    ProjectData data;
    data.learnPositivePresent = true;  // loaded from a file without records
    std::string bytes = encode(data);
    EXPECT_EQ(i32At(bytes, 40), 0);
    EXPECT_NE(bytes.substr(40, 8), "00000000");
    ProjectData back = decode(bytes);
    EXPECT_TRUE(back.learnPositivePresent);
    EXPECT_FALSE(back.learnPositiveLoaded());  // a sample counts as loaded when it holds records

    data.learnPositivePresent = false;
    bytes = encode(data);
    EXPECT_EQ(bytes.substr(40, 8), "00000000");
    back = decode(bytes);
    EXPECT_FALSE(back.learnPositivePresent);
}

TEST(ProjectFile, RuleWithShiftedConditionsAndReservedFieldsRoundTrips) {
    ProjectData data = buildStage(Stage::kAfterSearch, 6);
    ASSERT_GT(data.rules->Count(), 0);
    Rule& rule = *data.rules->rules[0];
    rule.shiftedCount = 2;
    rule.shiftedConditions = {{0, -1, 1, true}, {3, 1, 2, true}};
    rule.reservedFlag = 5;
    rule.reservedValue = 99;
    data.rules->reservedA = -3;
    data.rules->reservedB = 12;
    data.rules->keyWithProbabilities = true;
    const std::string bytes = encode(data);
    const ProjectData back = decode(bytes);
    EXPECT_EQ(encode(back), bytes);
    const Rule& read = *back.rules->rules[0];
    ASSERT_EQ(read.shiftedCount, 2);
    EXPECT_EQ(read.shiftedConditions[1].position, 3);
    EXPECT_EQ(read.shiftedConditions[0].sign, -1);
    EXPECT_EQ(read.reservedFlag, 5);
    EXPECT_EQ(read.reservedValue, 99);
    EXPECT_TRUE(back.rules->keyWithProbabilities);
    std::string f1, c1, r1, f2, c2, r2;
    data.rules->GetTexts(0, f1, c1, r1);
    back.rules->GetTexts(0, f2, c2, r2);
    EXPECT_EQ(r2, r1);
    EXPECT_NE(r2.find(" ("), std::string::npos);  // the shifted text is printed
}

TEST(ProjectFile, WriterRefusesDataThatContradictThemselves) {
    ProjectData data = buildStage(Stage::kAfterIdealization, 6);
    std::string bytes;

    ProjectSource source = viewOf(data);
    source.storage = nullptr;  // rules without their object table
    Status status = EncodeProject(source, bytes);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("rule store"), std::string::npos) << status.message;

    source = viewOf(data);
    source.classCount = data.classCount + 1;  // more classes than ideal objects
    status = EncodeProject(source, bytes);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, "The project cannot be saved: the workspace counts " +
                                  std::to_string(data.classCount + 1) + " classes but holds " +
                                  std::to_string(data.idealObjects.size()) + " ideal objects.");

    // A contradiction in a later section (an object list) ends the encoding as well.
    const int32_t held = data.storage->controlNegativeObjects.size();
    data.storage->controlNegativeObjectCount = held + 1;
    status = EncodeProject(viewOf(data), bytes);
    EXPECT_EQ(status.message,
              "The project cannot be saved: the object table counts " + std::to_string(held + 1) +
                  " control negative objects but holds " + std::to_string(held) + ".");
    data.storage->controlNegativeObjectCount = held;

    data.storage->learnObjectCount += 1;  // more objects counted than held
    status = EncodeProject(viewOf(data), bytes);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("learning objects"), std::string::npos) << status.message;
}

TEST(ProjectFile, WriterRefusesRecordsTheReaderWouldRefuse) {
    // Every project the writer makes must open again: a text that ends early at a zero byte, or
    // is longer than the reader takes, is refused at the save, naming the sample and record.
    const struct {
        const char* sample;
        std::vector<Sequence> ProjectData::*records;
        bool letters;  // damage the letters (else the name)
        std::string text;
        std::string said;
    } cases[] = {
        {"learning positive", &ProjectData::learnPositive, false, std::string("a\0b", 3),
         "learning positive record 2 has a zero byte in its name"},
        {"learning negative", &ProjectData::learnNegative, true,
         std::string(project_limits::kMaxTextLength + 1, 'A'),
         "learning negative record 2 has 1048577 characters in its letters, more than the "
         "1048576 a project keeps"},
        {"control negative", &ProjectData::controlNegative, false,
         std::string(project_limits::kMaxTextLength + 1, 'n'),
         "control negative record 2 has 1048577 characters in its name"},
        {"control positive", &ProjectData::controlPositive, true, std::string("AC\0G", 4),
         "control positive record 2 has a zero byte in its letters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sample);
        ProjectData data = buildStage(Stage::kWithLearnNegative, 3);
        ASSERT_GE((data.*c.records).size(), 2u);
        Sequence& record = (data.*c.records)[1];
        if (c.letters)
            record.assign(c.text, record.name, 1);
        else
            record.name = c.text;
        std::string bytes;
        const Status status = EncodeProject(viewOf(data), bytes);
        EXPECT_FALSE(status.ok);
        EXPECT_NE(status.message.find(c.said), std::string::npos) << status.message;
    }
    // At the limit the record is written and read back.
    ProjectData data = buildStage(Stage::kSamplesOnly, 3);
    data.learnPositive[0].name = std::string(project_limits::kMaxTextLength, 'n');
    EXPECT_EQ(decode(encode(data)).learnPositive[0].name, data.learnPositive[0].name);
}

TEST(ProjectFile, AFileOfZeroBytesIsNotAnEmptyProject) {
    ProjectData data;
    const std::string zeros(133, '\0');
    const Status status = DecodeProject(
        {reinterpret_cast<const unsigned char*>(zeros.data()), zeros.size()}, "zero.dnp", data);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("zero.dnp\" is damaged or not a project: object table: there "
                                  "is an object table but no learning positive sequence"),
              std::string::npos)
        << status.message;
}

class ProjectFiles : public ::testing::Test {
  protected:
    size_t fileCount() {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }
    test::TempDir folder{"motifora-io"};
    const std::filesystem::path& dir = folder.root();
};

TEST_F(ProjectFiles, SaveAndOpenThroughAFile) {
    const ProjectData data = buildStage(Stage::kWithRecognition, 6);
    const std::string name = (dir / "work.dnp").string();
    ASSERT_TRUE(WriteProject(name, viewOf(data)).ok);
    EXPECT_EQ(test::readBytes(name), encode(data));
    EXPECT_EQ(fileCount(), 1u);  // no temporary file is left behind

    ProjectData back;
    const Status status = ReadProject(name, back);
    ASSERT_TRUE(status.ok) << status.message;
    EXPECT_EQ(encode(back), encode(data));

    // Saving over the file replaces it.
    const ProjectData other = buildStage(Stage::kSamplesOnly, 3);
    ASSERT_TRUE(WriteProject(name, viewOf(other)).ok);
    EXPECT_EQ(test::readBytes(name), encode(other));
}

TEST_F(ProjectFiles, FailedSaveLeavesTheEarlierFileAsItWas) {
    const ProjectData data = buildStage(Stage::kAfterIdealization, 6);
    const std::string name = (dir / "work.dnp").string();
    ASSERT_TRUE(WriteProject(name, viewOf(data)).ok);
    const std::string before = test::readBytes(name);

    ProjectSource broken = viewOf(data);
    broken.classCount = data.classCount + 5;
    const Status status = WriteProject(name, broken);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find(name), std::string::npos) << status.message;
    EXPECT_EQ(test::readBytes(name), before);
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(ProjectFiles, SaveIntoAMissingFolderOrOverAFolderFailsWithTheName) {
    const ProjectData data = buildStage(Stage::kSamplesOnly, 3);
    const std::string missing = (dir / "no such folder" / "p.dnp").string();
    Status status = WriteProject(missing, viewOf(data));
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("no such folder"), std::string::npos) << status.message;

    std::filesystem::create_directories(dir / "folder.dnp");
    status = WriteProject((dir / "folder.dnp").string(), viewOf(data));
    EXPECT_FALSE(status.ok);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.dnp"));
    EXPECT_EQ(fileCount(), 1u);
}

TEST_F(ProjectFiles, SavingThroughALinkReplacesTheLinkedFileAndKeepsTheLink) {
    const auto real = dir / "real.dnp";
    const auto link = dir / "link.dnp";
    ASSERT_TRUE(WriteFileAtomically(real.string(), "old").ok);
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(link.string(), "new").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::readBytes(real), "new");
    EXPECT_EQ(fileCount(), 2u);
}

TEST_F(ProjectFiles, OpeningAMissingFileFailsAndKeepsTheData) {
    ProjectData data = buildStage(Stage::kSamplesOnly, 3);
    const std::string before = encode(data);
    Status status = ReadProject((dir / "absent.dnp").string(), data);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("absent.dnp"), std::string::npos);
    EXPECT_EQ(encode(data), before);

    // A pipe is refused at once, not waited on for a writer that never comes.
    ASSERT_EQ(::mkfifo((dir / "pipe.dnp").c_str(), 0600), 0);
    status = ReadProject((dir / "pipe.dnp").string(), data);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("pipe.dnp\": it is a pipe; only regular files are read"),
              std::string::npos)
        << status.message;
    EXPECT_EQ(encode(data), before);

    std::filesystem::create_directories(dir / "folder.dnp");
    status = ReadProject((dir / "folder.dnp").string(), data);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.message.find("folder.dnp\": it is a folder"), std::string::npos)
        << status.message;
    EXPECT_EQ(encode(data), before);
}

// The fuzzer's seed corpus starts from real projects (named *.dnp; the inputs the fuzzer kept
// beside them are mostly damaged on purpose); they must stay readable as the program changes.
TEST(ProjectFile, SeedCorpusProjectsReadAndWriteBackUnchanged) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MOTIFORA_IO_CORPUS_DIR)) {
        if (entry.path().extension() != ".dnp") continue;
        const std::string bytes = test::readBytes(entry.path());
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(encode(decode(bytes)), bytes);
        ++count;
    }
    EXPECT_GE(count, allStages().size());
}

TEST(FileNames, ExtensionIsAppendedUnlessTheNameEndsExactlyWithIt) {
    test::expectNames(WithExtension, {
                                         {"work", ".dnp", "work.dnp"},
                                         {"work.dnp", ".dnp", "work.dnp"},
                                         {"work.DNP", ".dnp", "work.DNP.dnp"},
                                         {"export", ".txt", "export.txt"},
                                         {"export.TXT", ".txt", "export.TXT.txt"},
                                         {"results", ".html", "results.html"},
                                         {"results.html", ".html", "results.html"},
                                         {"results.HTML", ".html", "results.HTML.html"},
                                         {"results.htm", ".html", "results.htm.html"},
                                         {"np", ".dnp", "np.dnp"},
                                         {"", ".txt", ".txt"},
                                     });
}

}  // namespace
}  // namespace motifora
