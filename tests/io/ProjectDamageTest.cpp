// Damaged, truncated and foreign project files: each is refused with a message naming the
// section and what is wrong, and the caller's data stay as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "ProjectStages.h"
#include "io/ProjectFile.h"

namespace motifora {
namespace {

using testing::buildStage;
using testing::bytesOf;
using testing::encode;
using testing::Stage;

// Where each part of a project starts, computed from the data by the format's own rules; the
// tests check it against the writer's size before they patch bytes at these places.
struct Layout {
    size_t learnPositive = 40;
    size_t firstRecord = 44;
    size_t objectTable = 0;
    size_t firstLearnObject = 0;
    size_t codeTable = 0;
    size_t ruleStore = 0;
    size_t firstRule = 0;
    size_t firstCondition = 0;
    size_t idealObjects = 0;
    size_t firstIdealFlags = 0;
    size_t controlNegative = 0;
    size_t controlPositive = 0;
    size_t learnNegative = 0;
    size_t objectLists = 0;
    size_t firstControlNegativeObject = 0;
    size_t recognition = 0;
    size_t end = 0;
};

size_t recordsSize(const std::vector<Sequence>& records) {
    size_t n = 4;
    for (const Sequence& r : records) n += 8 + 4 + r.text.size() + 1 + 4 + r.name.size() + 1;
    return n;
}

size_t ruleSize(const Rule& rule) {
    return 28 + 8 + 8 * static_cast<size_t>(rule.alphabetSize) + 4 + 1 + 16 +
           10 * static_cast<size_t>(rule.conditionCount) + 4 +
           10 * static_cast<size_t>(rule.shiftedCount);
}

size_t objectListSize(const ObjectSet& set, int32_t count) {
    return count == 0 ? 4
                      : 8 + static_cast<size_t>(count) *
                                (4 + 4 * static_cast<size_t>(set[0].positionCount()));
}

Layout layoutOf(const ProjectData& d) {
    Layout l;
    l.objectTable = l.learnPositive + (d.learnPositivePresent ? recordsSize(d.learnPositive) : 8);
    const SEQStorage* s = d.storage.get();
    l.firstLearnObject = l.objectTable + 24;
    l.codeTable = s ? l.firstLearnObject + static_cast<size_t>(s->learnObjectCount) *
                                               (12 + 4 * static_cast<size_t>(s->width))
                    : 0;
    l.ruleStore =
        s ? l.codeTable + 4 + static_cast<size_t>(s->codeTable.letterCount) : l.objectTable + 8;
    l.firstRule = l.ruleStore + 33;
    l.idealObjects = l.ruleStore + 8;
    if (d.rules && d.rules->Count() > 0) {
        l.firstCondition = l.firstRule + 28 + 8 +
                           8 * static_cast<size_t>(d.rules->Get(0)->alphabetSize) + 4 + 1 + 16;
        l.idealObjects = l.firstRule;
        for (int32_t i = 0; i < d.rules->Count(); ++i) l.idealObjects += ruleSize(*d.rules->Get(i));
    }
    l.firstIdealFlags = l.idealObjects + 4 + 16;
    l.controlNegative = l.idealObjects + 8;
    if (d.idealObjectsPresent) {
        l.controlNegative = l.idealObjects + 4;
        for (const auto& o : d.idealObjects)
            l.controlNegative += 16 + static_cast<size_t>(o->positionCount * o->alphabetSize);
    }
    l.controlPositive = l.controlNegative + recordsSize(d.controlNegative);
    l.learnNegative = l.controlPositive + recordsSize(d.controlPositive);
    l.objectLists = l.learnNegative + recordsSize(d.learnNegative);
    l.firstControlNegativeObject = l.objectLists + 8;
    l.recognition = l.objectLists + 12;
    if (s) {
        l.recognition = l.objectLists +
                        objectListSize(s->controlNegativeObjects, s->controlNegativeObjectCount) +
                        objectListSize(s->negativeObjects, s->negativeObjectCount) +
                        objectListSize(s->controlPositiveObjects, s->controlPositiveObjectCount);
    }
    l.end =
        l.recognition +
        (d.recognitionPresent ? d.recognition.size() * static_cast<size_t>(d.classCount) * 12 : 8);
    return l;
}

void putI32(std::string& bytes, size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

// A full project: every section present, small enough to be cut at every byte.
const ProjectData& fullProject() {
    static const ProjectData data = buildStage(Stage::kWithLearnNegative, 6);
    return data;
}

// The data a caller already holds; a refused file must leave them exactly as they were.
class Damage : public ::testing::Test {
  protected:
    void SetUp() override {
        held = buildStage(Stage::kAfterSearch, 3);
        heldBytes = encode(held);
    }
    // Decodes `bytes`, expects a refusal whose message holds every one of `parts`, and checks
    // that the held data did not change.
    void expectRefused(const std::string& bytes, std::initializer_list<const char*> parts) {
        const Status status = DecodeProject(bytesOf(bytes), "damaged.dnp", held);
        ASSERT_FALSE(status.ok) << "accepted; expected a refusal"
                                << (parts.size() > 0 ? std::string(": ") + *parts.begin() : "");
        EXPECT_NE(status.message.find("damaged.dnp"), std::string::npos) << status.message;
        for (const char* part : parts)
            EXPECT_NE(status.message.find(part), std::string::npos) << status.message;
        EXPECT_EQ(encode(held), heldBytes);
    }
    ProjectData held;
    std::string heldBytes;
};

TEST_F(Damage, LayoutOfTheTestsMatchesTheWriter) {
    const ProjectData& d = fullProject();
    const std::string bytes = encode(d);
    const Layout l = layoutOf(d);
    EXPECT_EQ(l.end, bytes.size());
    ASSERT_TRUE(d.rules && d.rules->Count() > 0 && d.rules->Get(0)->conditionCount > 0);
    // The first learning object's codes start with the first letter's code.
    EXPECT_EQ(static_cast<unsigned char>(bytes[l.firstLearnObject + 12]), 0u);
    // The code table holds the letters in code order.
    EXPECT_EQ(bytes.substr(l.codeTable + 4, 4), "GCTA");
}

TEST_F(Damage, EveryTruncationIsRefusedNamingTheSectionItHappensIn) {
    const std::string bytes = encode(fullProject());
    const std::vector<std::string> order = {"header",
                                            "learning positive sample",
                                            "object table",
                                            "code table",
                                            "rule store",
                                            "ideal objects",
                                            "control negative sample",
                                            "control positive sample",
                                            "learning negative sample",
                                            "object lists",
                                            "recognition table"};
    size_t lastSection = 0;
    std::vector<bool> seen(order.size(), false);
    for (size_t length = 0; length < bytes.size(); ++length) {
        ProjectData data;
        const Status status = DecodeProject(bytesOf(bytes.substr(0, length)), "cut.dnp", data);
        ASSERT_FALSE(status.ok) << "a file cut to " << length << " bytes was accepted";
        // The deepest section named in the message ("object table, code table" names both).
        size_t section = order.size();
        for (size_t s = 0; s < order.size(); ++s) {
            if (status.message.find(order[s]) != std::string::npos) section = s;
        }
        ASSERT_LT(section, order.size()) << status.message;
        EXPECT_GE(section, lastSection) << "cut at " << length << ": " << status.message;
        EXPECT_TRUE(status.message.find("ends inside") != std::string::npos ||
                    status.message.find("cannot fit") != std::string::npos)
            << status.message;
        lastSection = section;
        seen[section] = true;
    }
    for (size_t s = 0; s < order.size(); ++s) EXPECT_TRUE(seen[s]) << order[s] << " was never cut";
}

TEST_F(Damage, AbsurdCountsAndSizesAreRefusedBeforeAnythingIsAllocated) {
    const ProjectData& d = fullProject();
    const std::string good = encode(d);
    const Layout l = layoutOf(d);
    ASSERT_EQ(l.end, good.size());
    struct Case {
        const char* name;
        size_t offset;
        int32_t value;
        std::vector<const char*> parts;
    };
    const std::vector<Case> cases = {
        {"sample count", l.learnPositive, 0x7FFFFFFF, {"learning positive sample", "cannot fit"}},
        {"negative sample count",
         l.learnPositive,
         -5,
         {"learning positive sample", "record count is -5"}},
        {"text byte count", l.firstRecord + 8, 0x40000000, {"record 1 letters", "claims"}},
        {"empty text count", l.firstRecord + 8, 0, {"record 1 letters", "at least 1"}},
        {"record length", l.firstRecord + 4, 3, {"record 1 gives its length as 3"}},
        {"start position", l.firstRecord, 0, {"record 1 starts at position 0"}},
        {"start position after 1", l.firstRecord, 2, {"record 1 starts at position 2"}},
        {"far start position", l.firstRecord, 1 << 20, {"record 1 starts at position 1048576"}},
        {"finish buffer size",
         16,
         0x7FFFFFFF,
         {"header", "\"Size of Finish Buffer\" is 2147483647"}},
        {"negative finish buffer size", 16, -1, {"header", "\"Size of Finish Buffer\" is -1"}},
        {"sub buffer size", 20, 0x7FFFFFFF, {"header", "\"Size of Sub Buffers\" is 2147483647"}},
        {"frame width", 28, 0x7FFFFFFF, {"header", "\"Width of scaning frame\" is 2147483647"}},
        {"object count", l.objectTable, 50000000, {"object table", "cannot fit"}},
        {"object width", l.objectTable + 4, 1 << 30, {"object table", "object width"}},
        {"objects without positions", l.objectTable + 4, 0, {"object table", "have no positions"}},
        {"alphabet size", l.objectTable + 20, 300, {"object table", "alphabet size is 300"}},
        {"position range", l.objectTable + 8, 1000, {"object table", "position range"}},
        {"target position", l.objectTable + 16, -2, {"object table", "target position"}},
        {"object code", l.firstLearnObject + 12, 9, {"learning object 1 has code 9 at position 1"}},
        {"object code below -1",
         l.firstLearnObject + 16,
         -2,
         {"learning object 1 has code -2 at position 2"}},
        {"letter count", l.codeTable, 5, {"code table", "holds 5 letters"}},
        {"rule capacity", l.ruleStore, 1 << 30, {"rule store", "capacity"}},
        {"rule count", l.ruleStore + 4, 1000, {"rule store", "not within the capacity"}},
        {"rule alphabet", l.firstRule + 16, 3, {"rule 1 has an alphabet of 3"}},
        {"rule code count", l.firstRule + 20, 4, {"rule 1 has 4 letter codes"}},
        {"rule width", l.firstRule + 12, 1000, {"rule 1 spans 1000 positions"}},
        {"rule target", l.firstRule + 24, 57, {"rule 1 predicts position 58"}},
        {"condition position", l.firstCondition, 57, {"rule 1 condition 1 is at position 58"}},
        {"largest condition position", l.firstCondition, 0x7FFFFFFF, {"is at position 2147483648"}},
        {"largest target", l.firstRule + 24, 0x7FFFFFFF, {"predicts position 2147483648"}},
        {"largest class", l.firstLearnObject + 8, 0x7FFFFFFF, {"belongs to class 2147483648"}},
        {"condition letter", l.firstCondition + 6, 4, {"rule 1 condition 1 names letter code 4"}},
        {"condition count", l.firstCondition - 21, 100000, {"rule 1 has 100000 conditions"}},
        {"class count", l.idealObjects, 0x10000000, {"ideal objects", "cannot fit"}},
        {"ideal letters", l.idealObjects + 12, 5, {"class 1 has 5 letters"}},
        {"ideal positions", l.idealObjects + 16, -1, {"class 1 has -1 positions"}},
        {"control count", l.controlNegative, 0x7FFFFFF0, {"control negative sample", "cannot fit"}},
        {"object list count", l.objectLists, 0x7FFFFFF0, {"object lists", "cannot fit"}},
        {"object list width", l.objectLists + 4, -1, {"object lists", "width -1"}},
        {"object list without positions", l.objectLists + 4, 0, {"object lists", "width 0"}},
        {"control object class",
         l.firstControlNegativeObject,
         1000,
         {"control negative objects 1 belongs to class 1001"}},
        {"recognition class", l.recognition, 1000, {"recognition table", "score for class 1000"}},
        {"work mode", 24, 7, {"header", "alignment type is 7"}},
        {"idealization type", 32, 3, {"header", "idealization type is 3"}},
        {"arranged", 36, 2, {"header", "Arrange in order"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        ASSERT_LE(c.offset + 4, bytes.size());
        putI32(bytes, c.offset, c.value);
        const Status status = DecodeProject(bytesOf(bytes), "damaged.dnp", held);
        ASSERT_FALSE(status.ok);
        for (const char* part : c.parts)
            EXPECT_NE(status.message.find(part), std::string::npos) << status.message;
        EXPECT_EQ(encode(held), heldBytes);
    }
}

void putF64(std::string& bytes, size_t offset, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) bytes[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

TEST_F(Damage, ValuesTheProgramCannotHaveWrittenAreRefused) {
    const ProjectData& d = fullProject();
    const std::string good = encode(d);
    const Layout l = layoutOf(d);
    ASSERT_EQ(l.end, good.size());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        size_t offset;
        double value;
        std::vector<const char*> parts;
    };
    const size_t fisherAt = l.firstCondition - 16;  // fisher, then cp, then the conditions
    const std::vector<Case> cases = {
        {"confidence NaN", 0, nan, {"header", "\"Confidence interval\" is nan"}},
        {"confidence infinite", 0, -inf, {"header", "\"Confidence interval\" is -inf"}},
        {"CP infinite", 8, inf, {"header", "\"Min. level of CP\" is inf"}},
        {"rule Fisher value", fisherAt, nan, {"rule 1 has a Fisher value nan"}},
        {"rule CP", fisherAt + 8, inf, {"rule 1", "CP inf"}},
        {"rule threshold", l.firstRule + 28, nan, {"rule 1", "threshold nan"}},
        {"letter probability", l.firstRule + 36, inf, {"rule 1 gives letter code 0 the value inf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        ASSERT_LE(c.offset + 8, bytes.size());
        putF64(bytes, c.offset, c.value);
        expectRefused(bytes, {});
        const Status status = DecodeProject(bytesOf(bytes), "damaged.dnp", held);
        for (const char* part : c.parts)
            EXPECT_NE(status.message.find(part), std::string::npos) << status.message;
    }

    // In shift-positions mode a frame wider than every learning sequence cuts no window.
    std::string shifted = good;
    putI32(shifted, 24, 1);
    putI32(shifted, 28, 58);
    expectRefused(shifted, {"header", "\"Width of scaning frame\" is 58", "longest"});
    putI32(shifted, 28, 57);
    ProjectData opened;
    EXPECT_TRUE(DecodeProject(bytesOf(shifted), "shifted.dnp", opened).ok);
}

TEST_F(Damage, WrongCodesLettersAndClassesAreRefused) {
    const ProjectData& d = fullProject();
    const Layout l = layoutOf(d);
    std::string bytes;

    bytes = encode(d);
    bytes[l.codeTable + 4 + 2] = 'g';  // the third letter repeats the first in another case
    expectRefused(bytes, {"code table", "letter 3 (g) repeats an earlier letter"});

    bytes = encode(d);
    bytes[l.codeTable + 4] = ' ';
    expectRefused(bytes, {"code table", "letter 1 is byte 32"});

    bytes = encode(d);
    bytes[l.firstRecord + 12] = '\x01';
    expectRefused(bytes, {"learning positive sample", "record 1 has byte 1 at letter 1"});

    bytes = encode(d);
    bytes[l.firstRecord + 12 + d.learnPositive[0].text.size()] = 'A';  // the zero byte overwritten
    expectRefused(bytes, {"record 1 letters does not end with a zero byte"});

    bytes = encode(d);
    bytes[l.firstRecord + 12 + 3] = '\0';
    expectRefused(bytes, {"record 1 letters contains a zero byte"});

    bytes = encode(d);
    bytes[l.firstCondition + 4] = 0;  // sign 0
    bytes[l.firstCondition + 5] = 0;
    expectRefused(bytes, {"rule 1 condition 1 has sign 0"});

    bytes = encode(d);
    bytes[l.firstIdealFlags] = 2;
    expectRefused(bytes, {"ideal objects", "class 1 has flag 2"});

    bytes = encode(d);
    putI32(bytes, l.firstLearnObject + 8, d.classCount);  // class number one past the last
    const std::string beyond =
        "learning object 1 belongs to class " + std::to_string(d.classCount + 1);
    expectRefused(bytes, {"object table", beyond.c_str()});

    bytes = encode(d);
    bytes[l.ruleStore + 32] = 2;
    expectRefused(bytes, {"rule store", "key form flag is 2"});
}

TEST_F(Damage, RulesAreRefusedOutOfOrderOrWithoutAnObjectTable) {
    ProjectData d = buildStage(Stage::kAfterSearch, 6);
    ASSERT_GE(d.rules->Count(), 3);
    const double third = d.rules->Get(2)->fisher;
    d.rules->Get(0)->fisher = third;
    d.rules->Get(1)->fisher = third - 1.0;
    expectRefused(encode(d),
                  {"rule store", "rule 2 has a smaller Fisher value", "ascending order"});
    d.rules->Get(1)->fisher = third;  // equal values are in order
    ProjectData equal;
    const std::string inOrder = encode(d);
    EXPECT_TRUE(DecodeProject(bytesOf(inOrder), "equal.dnp", equal).ok);

    // A rule store written where no object table precedes it.
    ProjectData search = buildStage(Stage::kAfterSearch, 2);
    const Layout a = layoutOf(search);
    std::string bytes = encode(search);
    bytes = bytes.substr(0, a.objectTable) + "00000000" + bytes.substr(a.ruleStore);
    expectRefused(bytes, {"rule store", "no object table"});

    // Ideal objects with no object table.
    ProjectData ideal = buildStage(Stage::kAfterIdealization, 2);
    const Layout b = layoutOf(ideal);
    bytes = encode(ideal);
    bytes = bytes.substr(0, b.objectTable) + "0000000000000000" + bytes.substr(b.idealObjects);
    expectRefused(bytes, {"ideal objects", "no object table"});
}

TEST_F(Damage, TrailingBytesAndForeignFilesAreRefused) {
    expectRefused(encode(fullProject()) + "x", {"end of file", "1 bytes follow the last section"});
    expectRefused("", {"header", "ends inside"});
    expectRefused(">prom1;ACGT\n>prom2;CCGT\n", {"header"});
    expectRefused(std::string(4096, '0'), {});
}

TEST_F(Damage, RandomBytePatchesNeverCrashAndAreRefusedOrRewrittenExactly) {
    // A decoded file writes back to the very same bytes; a patched one either still decodes to
    // itself or is refused. Printed seed; change it to explore.
    const uint32_t seed = 20261207;
    std::printf("random patches: seed %u\n", seed);
    std::mt19937 rng(seed);
    const std::string good = encode(fullProject());
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        const int patches = 1 + static_cast<int>(rng() % 4);
        for (int p = 0; p < patches; ++p)
            bytes[rng() % bytes.size()] = static_cast<char>(rng() & 0xFF);
        ProjectData data;
        if (DecodeProject(bytesOf(bytes), "patched.dnp", data).ok) {
            ASSERT_EQ(encode(data), bytes) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace motifora
