// The one check of the regularity-search settings: bounds per field, the order of the checks and
// the reading of typed settings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "rules/SearchSettings.h"

namespace motifora {
namespace {

// A reader of reals with a decimal point that records what it was asked to read.
struct RecordingReader {
    std::vector<std::string> asked;
    RealReader reader() {
        return [this](const std::string& text, double& value) {
            asked.push_back(text);
            return NumberFormat('.').tryReadReal(text, value);
        };
    }
};

TEST(SearchSettingsCheck, EachFieldHoldsAtItsBoundsAndFailsJustBeyond) {
    const struct {
        SearchField field;
        double least;
        double justBelow;
        double most;
        double justAbove;
    } cases[] = {
        {SearchField::Confidence, 0.0, -1e-9, 1.0, 1.0 + 1e-9},
        {SearchField::CpThreshold, 0.0, -1e-9, 1.0, 1.0 + 1e-9},
        {SearchField::FinishBufferSize, 2, 1, 1000, 1001},
        {SearchField::SubBufferSize, 1, 0, 1000, 1001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.field));
        EXPECT_FALSE(checkSearchField(c.field, c.least, 1000));
        EXPECT_FALSE(checkSearchField(c.field, c.most, 1000));
        EXPECT_EQ(checkSearchField(c.field, c.justBelow, 1000),
                  (SearchProblem{c.field, SearchFault::BelowLeast, c.least}));
        EXPECT_EQ(checkSearchField(c.field, c.justAbove, 1000),
                  (SearchProblem{c.field, SearchFault::AboveMost, c.most}));
        EXPECT_EQ(checkSearchField(c.field, std::nan(""), 1000),
                  (SearchProblem{c.field, SearchFault::NotANumber, 0.0}));
    }
    // The buffer limit never narrows the frame width; without a limit a buffer may be as large
    // as an int32_t.
    EXPECT_FALSE(checkSearchField(SearchField::FrameWidth, 5000, 1000));
    EXPECT_EQ(checkSearchField(SearchField::FrameWidth, 2),
              (SearchProblem{SearchField::FrameWidth, SearchFault::BelowLeast, 3.0}));
    EXPECT_FALSE(checkSearchField(SearchField::FinishBufferSize, 2147483647.0));
}

TEST(SearchSettingsCheck, SettingsAreCheckedInFieldOrderWithTheWidthOnlyInShiftPositions) {
    SearchSettings s = SearchSettings::windowDefaults();
    EXPECT_FALSE(checkSearchSettings(s));
    s.frameWidth = 0;
    EXPECT_FALSE(checkSearchSettings(s)) << "fixed positions take the sequences' width";
    s.workMode = WorkMode::kShift;
    EXPECT_EQ(checkSearchSettings(s),
              (SearchProblem{SearchField::FrameWidth, SearchFault::BelowLeast, 3.0}));
    s.subBufferSize = 0;
    EXPECT_EQ(checkSearchSettings(s)->field, SearchField::SubBufferSize);
    s.cpThreshold = 2.0;
    EXPECT_EQ(checkSearchSettings(s),
              (SearchProblem{SearchField::CpThreshold, SearchFault::AboveMost, 1.0}));
    s.confidence = std::nan("");
    EXPECT_EQ(checkSearchSettings(s)->field, SearchField::Confidence);
    EXPECT_EQ(checkSearchSettings({0.05, 0.8, 2000, 50, WorkMode::kFixed, 0}, 1000),
              (SearchProblem{SearchField::FinishBufferSize, SearchFault::AboveMost, 1000.0}));
}

TEST(SearchSettingsRead, GoodTextsAreStoredAndUntypedFieldsKeepTheirValues) {
    RecordingReader reals;
    SearchSettings s{0.5, 0.5, 7, 7, WorkMode::kShift, 9};
    const SearchSettingsText typed{" 0.001", "0.75", "44", " 11 ", std::nullopt};
    EXPECT_FALSE(readSearchSettings(typed, reals.reader(), s));
    EXPECT_EQ(s, (SearchSettings{0.001, 0.75, 44, 11, WorkMode::kShift, 9}));
    EXPECT_EQ(reals.asked, (std::vector<std::string>{" 0.001", "0.75"}));

    SearchSettings only{0.5, 0.5, 7, 7, WorkMode::kFixed, 9};
    EXPECT_FALSE(readSearchSettings({std::nullopt, std::nullopt, std::nullopt, std::nullopt, "4"},
                                    reals.reader(), only));
    EXPECT_EQ(only, (SearchSettings{0.5, 0.5, 7, 7, WorkMode::kFixed, 4}));
}

TEST(SearchSettingsRead, ReadingStopsAtTheFirstProblemAndKeepsItsValue) {
    using enum SearchField;
    using enum SearchFault;
    const struct {
        SearchSettingsText typed;
        SearchProblem problem;
        size_t realsRead;
    } cases[] = {
        {{"x", "0.8", "500", "50", "10"}, {Confidence, NotANumber, 0.0}, 1},
        {{"1.5", "x", "500", "50", "10"}, {Confidence, AboveMost, 1.0}, 1},
        {{"0.05", "-0.1", "500", "50", "10"}, {CpThreshold, BelowLeast, 0.0}, 2},
        {{"0.05", "0.8", "2.5", "50", "10"}, {FinishBufferSize, NotANumber, 0.0}, 2},
        {{"0.05", "0.8", "1", "x", "10"}, {FinishBufferSize, BelowLeast, 2.0}, 2},
        {{"0.05", "0.8", "500", "0", "x"}, {SubBufferSize, BelowLeast, 1.0}, 2},
        {{"0.05", "0.8", "500", "50", "two"}, {FrameWidth, NotANumber, 0.0}, 2},
        {{"0.05", "0.8", "500", "50", "2"}, {FrameWidth, BelowLeast, 3.0}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(*c.typed.confidence + " " + *c.typed.cpThreshold + " " +
                     *c.typed.finishBufferSize + " " + *c.typed.subBufferSize + " " +
                     *c.typed.frameWidth);
        RecordingReader reals;
        SearchSettings s{0.5, 0.5, 7, 7, WorkMode::kShift, 9};
        EXPECT_EQ(readSearchSettings(c.typed, reals.reader(), s), c.problem);
        EXPECT_EQ(reals.asked.size(), c.realsRead) << "no real is read after the problem";
        const double old[] = {0.5, 0.5, 7, 7, 9};
        const double now[] = {s.confidence, s.cpThreshold, static_cast<double>(s.finishBufferSize),
                              static_cast<double>(s.subBufferSize),
                              static_cast<double>(s.frameWidth)};
        for (size_t f = static_cast<size_t>(c.problem.field); f < 5; ++f)
            EXPECT_EQ(now[f], old[f]) << "field " << f << " changed after the problem";
    }
}

TEST(SearchSettingsRead, TheBufferLimitRefusesLargerBuffersButNotWiderFrames) {
    RecordingReader reals;
    SearchSettings s;
    EXPECT_EQ(readSearchSettings({std::nullopt, std::nullopt, "1000001", "50", "10"},
                                 reals.reader(), s, 1000000),
              (SearchProblem{SearchField::FinishBufferSize, SearchFault::AboveMost, 1000000.0}));
    EXPECT_EQ(readSearchSettings({std::nullopt, std::nullopt, "500", "1000001", "10"},
                                 reals.reader(), s, 1000000),
              (SearchProblem{SearchField::SubBufferSize, SearchFault::AboveMost, 1000000.0}));
    EXPECT_FALSE(readSearchSettings({std::nullopt, std::nullopt, "1000000", "1000000", "2000000"},
                                    reals.reader(), s, 1000000));
    EXPECT_FALSE(readSearchSettings({std::nullopt, std::nullopt, "2147483647", "50", std::nullopt},
                                    reals.reader(), s));
    EXPECT_EQ(s.finishBufferSize, 2147483647);
}

// The value the cross-validation and the discriminative search take from the search page: the
// window's defaults until a search set any threshold or buffer, always in fixed positions.
TEST(SearchSettingsValue, DefaultsUntilSearchedAndFixedPositionsOnRequest) {
    EXPECT_EQ(SearchSettings{}.orWindowDefaults(), SearchSettings::windowDefaults());
    const SearchSettings shift{0.01, 0.7, 40, 8, WorkMode::kShift, 12};
    EXPECT_EQ(shift.orWindowDefaults(), shift);
    for (int field = 0; field < 4; ++field) {
        SearchSettings one;
        if (field == 0) one.confidence = 0.5;
        if (field == 1) one.cpThreshold = 0.5;
        if (field == 2) one.finishBufferSize = 3;
        if (field == 3) one.subBufferSize = 3;
        EXPECT_EQ(one.orWindowDefaults(), one) << field;  // one field set: searched
    }
    const SearchSettings fixed = shift.inFixedPositions();
    EXPECT_FALSE(fixed.shiftPositions());
    EXPECT_EQ(fixed, (SearchSettings{0.01, 0.7, 40, 8, WorkMode::kFixed, 12}));
    // A frame the shift search refuses does not count in fixed positions.
    SearchSettings narrow = shift;
    narrow.frameWidth = 1;
    EXPECT_TRUE(checkSearchSettings(narrow).has_value());
    EXPECT_FALSE(checkSearchSettings(narrow.inFixedPositions()).has_value());
}

}  // namespace
}  // namespace motifora
