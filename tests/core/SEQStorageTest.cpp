// Tests of the object storage builders.
#include <gtest/gtest.h>

#include <limits>

#include "core/SEQStorage.h"
#include "support/Records.h"

namespace motifora {
namespace {

using test::records;

TEST(SEQStorage, WholeSequencesPadShorterRecords) {
    auto recs = records({"ACGTACGT", "ACGTACGTAC"});
    SEQStorage st;
    st.buildWhole(recs.data(), 2);
    EXPECT_EQ(st.width, 10);
    EXPECT_EQ(st.alphabetSize, 4);
    EXPECT_EQ(st.centerPosition, 0);
    EXPECT_EQ(st.firstPosition, 0);
    EXPECT_EQ(st.endPosition, 10);
    ASSERT_EQ(st.learnObjectCount, 2);
    EXPECT_EQ(st.learnObjects[0].codeAt(8), 4);
    EXPECT_EQ(st.learnObjects[0].codeAt(9), 4);
    EXPECT_EQ(st.learnObjects[1].codeAt(9), 1);  // C
}

TEST(SEQStorage, WindowsOfEveryRecord) {
    auto recs = records({"ACGTAC", "GGTAC"});
    SEQStorage st;
    st.buildWindows(recs.data(), 2, 4);
    ASSERT_EQ(st.learnObjectCount, 3 + 2);
    // Second window of the first record holds its letters 1 to 4: C G T A.
    const CCodeTable& t = st.codeTable;
    EXPECT_EQ(st.learnObjects[1].codeAt(0), t.codeOf('C'));
    EXPECT_EQ(st.learnObjects[1].codeAt(1), t.codeOf('G'));
    EXPECT_EQ(st.learnObjects[1].codeAt(2), t.codeOf('T'));
    EXPECT_EQ(st.learnObjects[1].codeAt(3), t.codeOf('A'));
}

TEST(SEQStorage, CentrePosition) {
    EXPECT_EQ(SEQStorage::centreOf(10), 4);
    EXPECT_EQ(SEQStorage::centreOf(9), 4);
    EXPECT_EQ(SEQStorage::centreOf(11), 5);
    EXPECT_EQ(SEQStorage::centreOf(3), 1);
}

TEST(SEQStorage, KnowsAllLettersIgnoresCase) {
    auto learn = records({"ACGT"});
    SEQStorage st;
    st.buildWhole(learn.data(), 1);
    auto lower = records({"acgt"});
    auto foreign = records({"ACGN"});
    EXPECT_TRUE(st.knowsAllLetters(lower.data(), 1));
    EXPECT_FALSE(st.knowsAllLetters(foreign.data(), 1));
}

TEST(SEQStorage, NegativesNeverWrittenBeyondWidth) {
    auto pos = records({"ACGT"});
    auto neg = records({"ACGTTTTT", "AN"});
    SEQStorage st;
    st.buildWholeWithNegatives(pos.data(), neg.data(), 1, 2);
    ASSERT_EQ(st.learnObjectCount, 3);
    EXPECT_EQ(st.learnObjects[1].positionCount(), 4);
    EXPECT_EQ(st.learnObjects[2].codeAt(1), -1);  // N is not in the positives' table
    EXPECT_EQ(st.learnObjects[2].codeAt(2), 4);
}

// Letters of an object decoded back through the table; '.' for uncovered, '?' for missing.
std::string decode(const SEQStorage& st, const SEQSElem& e) {
    std::string out;
    for (int32_t p = 0; p < e.positionCount(); ++p) {
        const int32_t c = e.codeAt(p);
        out.push_back(c == st.alphabetSize ? '.'
                      : c < 0              ? '?'
                                           : static_cast<char>(st.codeTable.letterOf(c)));
    }
    return out;
}

TEST(SEQStorage, WindowsHoldConsecutiveLettersRecordByRecord) {
    auto recs = records({"ACGTAC", "ac", "TTGCA"});
    SEQStorage st;
    st.buildWindows(recs.data(), 3, 3);
    EXPECT_EQ(st.width, 3);
    EXPECT_EQ(st.centerPosition, 1);
    EXPECT_EQ(st.endPosition, 3);
    const std::vector<std::string> expected = {"ACG", "CGT", "GTA", "TAC", "TTG", "TGC", "GCA"};
    ASSERT_EQ(st.learnObjectCount, static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(decode(st, st.learnObjects[static_cast<int32_t>(i)]), expected[i]) << i;
    }
    // The short record still gave its letters to the table, in order of first appearance.
    EXPECT_EQ(st.alphabetSize, 4);
}

TEST(SEQStorage, ObjectsOfOneSetShareOneBlock) {
    auto recs = records({"ACGTAC", "GGTAC"});
    SEQStorage st;
    st.buildWindows(recs.data(), 2, 4);
    for (int32_t i = 1; i < st.learnObjectCount; ++i) {
        EXPECT_EQ(st.learnObjects[i].codes, st.learnObjects[0].codes + 4 * i);
        EXPECT_EQ(st.learnObjects[i].classNumber, -1);
        EXPECT_EQ(st.learnObjects[i].score, 0.0);
    }
}

TEST(SEQStorage, StartPositionShiftsTheLetters) {
    std::vector<Sequence> recs(2);
    recs[0].assign("AC", "a", 3);
    recs[1].assign("GT", "b", 1);
    SEQStorage st;
    st.buildWhole(recs.data(), 2);
    EXPECT_EQ(st.width, 4);
    EXPECT_EQ(decode(st, st.learnObjects[0]), "..AC");
    EXPECT_EQ(decode(st, st.learnObjects[1]), "GT..");
}

TEST(SEQStorage, ANewBuildStartsANewTable) {
    auto first = records({"XYZ"});
    auto second = records({"ACG"});
    SEQStorage st;
    st.buildWhole(first.data(), 1);
    st.buildWhole(second.data(), 1);
    EXPECT_EQ(st.alphabetSize, 3);
    EXPECT_EQ(st.codeTable.codeOf('X'), -1);
    EXPECT_EQ(st.codeTable.codeOf('A'), 0);
}

TEST(SEQStorage, SetObjectsOfEveryKindUseTheExistingTable) {
    auto learn = records({"ACGT"});
    auto other = records({"acgtN", "GA"});
    SEQStorage st;
    st.buildWhole(learn.data(), 1);
    st.addSetObjects(other.data(), 2, ObjectSetKind::ControlPositive);
    st.addSetObjects(other.data(), 1, ObjectSetKind::LearnNegative);
    st.addSetObjects(other.data(), 2, ObjectSetKind::None);  // no set: nothing changes
    st.addSetObjects(other.data(), 2, static_cast<ObjectSetKind>(4));
    EXPECT_EQ(st.controlPositiveObjectCount, 2);
    EXPECT_EQ(st.negativeObjectCount, 1);
    EXPECT_EQ(st.controlNegativeObjectCount, 0);
    EXPECT_EQ(st.width, 4);  // the learning width stays
    EXPECT_EQ(st.alphabetSize, 4);
    EXPECT_EQ(decode(st, st.controlPositiveObjects[0]), "ACGT?");
    EXPECT_EQ(decode(st, st.controlPositiveObjects[1]), "GA...");
    EXPECT_EQ(decode(st, st.negativeObjects[0]), "ACGT?");
    st.releaseControlObjects(1);
    EXPECT_EQ(st.controlPositiveObjects.size(), 0);
    EXPECT_EQ(st.negativeObjectCount, 1);  // other sets untouched
}

TEST(SEQStorage, ControlWindowsHaveTheStorageWidth) {
    auto learn = records({"ACGT"});
    auto ctrl = records({"TTACGG", "CGTA", "GG"});
    SEQStorage st;
    st.buildWhole(learn.data(), 1);
    st.buildControlWindows(ctrl.data(), 3, st.width);
    const std::vector<std::string> expected = {"TTAC", "TACG", "ACGG", "CGTA"};
    ASSERT_EQ(st.controlNegativeObjectCount, 4);  // the short record has no window
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(decode(st, st.controlNegativeObjects[i]), expected[static_cast<size_t>(i)]);
    }
    st.releaseControlObjects(0);
    EXPECT_EQ(st.controlNegativeObjectCount, 0);
    EXPECT_EQ(st.controlNegativeObjects.size(), 0);
}

TEST(SEQStorage, ControlWindowsAreCountedAndCutWithTheFrameWidth) {
    // The storage's width (4) differs from the frame width, as after a shift-mode search
    // with learning negatives: every counted window still holds letters p ... p + w - 1.
    auto learn = records({"ACGT"});
    auto ctrl = records({"TTACGG", "CGT"});
    SEQStorage st;
    st.buildWhole(learn.data(), 1);
    st.buildControlWindows(ctrl.data(), 2, 5);
    ASSERT_EQ(st.controlNegativeObjectCount, 2);  // the 3-letter record has none
    EXPECT_EQ(decode(st, st.controlNegativeObjects[0]), "TTACG");
    EXPECT_EQ(decode(st, st.controlNegativeObjects[1]), "TACGG");
    st.buildControlWindows(ctrl.data(), 2, 3);
    const std::vector<std::string> expected = {"TTA", "TAC", "ACG", "CGG", "CGT"};
    ASSERT_EQ(st.controlNegativeObjectCount, 5);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(decode(st, st.controlNegativeObjects[i]), expected[static_cast<size_t>(i)]);
    }
}

TEST(SEQStorage, FirstUnknownLetterIsFound) {
    auto learn = records({"ACGT"});
    SEQStorage st;
    st.buildWhole(learn.data(), 1);
    auto ctrl = records({"acgt", "ACNT", "XX"});
    const UnknownLetter u = findUnknownLetter(st.codeTable, ctrl.data(), 3);
    EXPECT_EQ(u.record, 1);
    EXPECT_EQ(u.position, 2);
    EXPECT_EQ(u.letter, 'N');
    EXPECT_EQ(findUnknownLetter(st.codeTable, ctrl.data(), 1).record, -1);
}

TEST(SEQStorage, RecordsFitTheReferenceWidthAndAlphabet) {
    auto pos = records({"ACGT", "ACG"});
    std::string why;
    auto fine = records({"tgca", "A"});
    EXPECT_TRUE(recordsFitReference(pos.data(), 2, fine.data(), 2, why));
    EXPECT_TRUE(why.empty());

    std::vector<Sequence> longer(2);
    longer[0].assign("AC", "n1", 1);
    longer[1].assign("ACGTA", "n2", 1);
    EXPECT_FALSE(recordsFitReference(pos.data(), 2, longer.data(), 2, why));
    EXPECT_NE(why.find("record 2"), std::string::npos) << why;
    EXPECT_NE(why.find("n2"), std::string::npos) << why;

    std::vector<Sequence> foreign(1);
    foreign[0].assign("ACNT", "n3", 1);
    EXPECT_FALSE(recordsFitReference(pos.data(), 2, foreign.data(), 1, why));
    EXPECT_NE(why.find("\"N\" at position 3"), std::string::npos) << why;
}

TEST(SEQSElem, AllocateAndCopy) {
    SEQSElem e;
    EXPECT_EQ(e.codes, nullptr);
    EXPECT_EQ(e.classNumber, -1);
    EXPECT_TRUE(e.allocate(3, 7));
    e.setCode(2, 1);
    e.codeAt(2) = 5;
    e.reserved1 = 9;
    SEQSElem copy(e);
    e.codeAt(0) = 0;
    EXPECT_EQ(copy.codeAt(0), 7);
    EXPECT_EQ(copy.codeAt(1), 2);
    EXPECT_EQ(copy.codeAt(2), 5);
    EXPECT_EQ(copy.reserved1, 9);
    EXPECT_NE(copy.codes, e.codes);
}

TEST(SEQStorage, MissingArraysAndDamagedRecordsNeverReachOutside) {
    SEQStorage st;
    st.buildWhole(nullptr, 3);  // no array: no records, whatever the count says
    EXPECT_EQ(st.learnObjectCount, 0);
    EXPECT_EQ(st.width, 0);
    EXPECT_EQ(st.alphabetSize, 0);
    auto pos = records({"ACGT"});
    st.buildWholeWithNegatives(pos.data(), nullptr, 1, 5);
    EXPECT_EQ(st.learnObjectCount, 1);
    st.buildWindows(pos.data(), -2, 2);
    EXPECT_EQ(st.learnObjectCount, 0);

    // Start positions far out place nothing and never overflow; a length above the text
    // reads only the text.
    std::vector<Sequence> odd(3);
    odd[0].assign("AC", "a", std::numeric_limits<int32_t>::max());
    odd[1].assign("GT", "b", std::numeric_limits<int32_t>::min() + 1);
    odd[2].assign("GT", "c", 1);
    odd[2].length = 50;
    st.buildWholeWithNegatives(pos.data(), odd.data(), 1, 3);
    ASSERT_EQ(st.learnObjectCount, 4);
    EXPECT_EQ(decode(st, st.learnObjects[1]), "....");
    EXPECT_EQ(decode(st, st.learnObjects[2]), "....");
    EXPECT_EQ(decode(st, st.learnObjects[3]), "GT..");
    st.buildWindows(odd.data() + 2, 1, 3);  // 48 windows counted, the text gives letters to 2
    ASSERT_EQ(st.learnObjectCount, 48);
    EXPECT_EQ(decode(st, st.learnObjects[0]), "GT.");
    EXPECT_EQ(decode(st, st.learnObjects[47]), "...");
}

}  // namespace
}  // namespace motifora
