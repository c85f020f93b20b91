// Tests of the object storage builders.
#include "core/SEQStorage.h"

#include <gtest/gtest.h>

namespace motifora {
namespace {

std::vector<Sequence> records(std::initializer_list<const char*> texts) {
    std::vector<Sequence> out;
    for (const char* t : texts) {
        Sequence s;
        s.assign(t, "r", 1);
        out.push_back(s);
    }
    return out;
}

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

TEST(SEQStorage, ShortRecordsGiveNoWindows) {
    auto recs = records({"AC", "ACGTA"});
    SEQStorage st;
    st.buildWindows(recs.data(), 2, 4);
    EXPECT_EQ(st.learnObjectCount, 2);
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

TEST(SEQStorage, SetObjectsAndRelease) {
    auto learn = records({"ACGT"});
    SEQStorage st;
    st.buildWhole(learn.data(), 1);
    auto ctrl = records({"ACGTAC", "GG"});
    st.addSetObjects(ctrl.data(), 2, 2);
    EXPECT_EQ(st.controlNegativeObjectCount, 2);
    EXPECT_EQ(st.controlNegativeObjects[1].positionCount(), 6);
    EXPECT_EQ(st.controlNegativeObjects[1].codeAt(2), 4);
    st.buildControlWindows(ctrl.data(), 1, 4);
    EXPECT_EQ(st.controlNegativeObjectCount, 3);
    st.releaseControlObjects(0);
    EXPECT_EQ(st.controlNegativeObjectCount, 0);
    EXPECT_EQ(st.controlNegativeObjects.size(), 0);
}

}  // namespace
}  // namespace motifora
