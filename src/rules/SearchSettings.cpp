// The bounds of the regularity-search settings and the reading of them as typed.
#include "rules/SearchSettings.h"

#include <cmath>

#include "core/NumberFormat.h"

namespace motifora {

namespace {

// The smallest frame the window accepts: narrower frames leave too few positions to search.
constexpr int32_t kLeastFrameWidth = 3;

}  // namespace

SearchBounds searchBounds(SearchField field, int32_t largestBuffer) {
    switch (field) {
        case SearchField::Confidence:
        case SearchField::CpThreshold:
            return {0.0, 1.0};
        case SearchField::FinishBufferSize:
            return {2.0, static_cast<double>(largestBuffer)};
        case SearchField::SubBufferSize:
            return {1.0, static_cast<double>(largestBuffer)};
        case SearchField::FrameWidth:
            break;
    }
    return {static_cast<double>(kLeastFrameWidth), static_cast<double>(kAnyBufferSize)};
}

std::optional<SearchProblem> checkSearchField(SearchField field, double value,
                                              int32_t largestBuffer) {
    if (std::isnan(value)) return SearchProblem{field, SearchFault::NotANumber, 0.0};
    const SearchBounds bounds = searchBounds(field, largestBuffer);
    if (value < bounds.least) return SearchProblem{field, SearchFault::BelowLeast, bounds.least};
    if (value > bounds.most) return SearchProblem{field, SearchFault::AboveMost, bounds.most};
    return std::nullopt;
}

std::optional<SearchProblem> checkSearchSettings(const SearchSettings& s, int32_t largestBuffer) {
    const struct {
        SearchField field;
        double value;
    } fields[] = {
        {SearchField::Confidence, s.confidence},
        {SearchField::CpThreshold, s.cpThreshold},
        {SearchField::FinishBufferSize, static_cast<double>(s.finishBufferSize)},
        {SearchField::SubBufferSize, static_cast<double>(s.subBufferSize)},
    };
    for (const auto& f : fields)
        if (auto problem = checkSearchField(f.field, f.value, largestBuffer)) return problem;
    if (s.shiftPositions())
        return checkSearchField(SearchField::FrameWidth, static_cast<double>(s.frameWidth));
    return std::nullopt;
}

std::string describeSearchProblem(const SearchProblem& problem, double value) {
    static const char* const captions[] = {"Confidence interval", "Min. level of CP",
                                           "Size of Finish Buffer", "Size of Sub Buffers",
                                           "Width of scaning frame"};
    const std::string caption =
        std::string("\"") + captions[static_cast<size_t>(problem.field)] + "\"";
    const NumberFormat plain('.');
    switch (problem.fault) {
        case SearchFault::NotANumber:
            break;
        case SearchFault::BelowLeast:
            return caption + " is " + plain.general(value) + ", less than " +
                   plain.general(problem.bound);
        case SearchFault::AboveMost:
            return caption + " is " + plain.general(value) + ", more than " +
                   plain.general(problem.bound);
    }
    return caption + " is not a number";
}

std::string searchSettingsRefusal(const SearchSettings& settings, int32_t largestBuffer) {
    const std::optional<SearchProblem> problem = checkSearchSettings(settings, largestBuffer);
    if (!problem) return {};
    const double values[] = {
        settings.confidence, settings.cpThreshold, static_cast<double>(settings.finishBufferSize),
        static_cast<double>(settings.subBufferSize), static_cast<double>(settings.frameWidth)};
    return describeSearchProblem(*problem, values[static_cast<size_t>(problem->field)]);
}

std::optional<SearchProblem> readSearchSettings(const SearchSettingsText& text,
                                                const RealReader& readReal,
                                                SearchSettings& settings, int32_t largestBuffer) {
    const struct {
        SearchField field;
        const std::optional<std::string>& typed;
        double* real;
        int32_t* whole;
    } fields[] = {
        {SearchField::Confidence, text.confidence, &settings.confidence, nullptr},
        {SearchField::CpThreshold, text.cpThreshold, &settings.cpThreshold, nullptr},
        {SearchField::FinishBufferSize, text.finishBufferSize, nullptr, &settings.finishBufferSize},
        {SearchField::SubBufferSize, text.subBufferSize, nullptr, &settings.subBufferSize},
        {SearchField::FrameWidth, text.frameWidth, nullptr, &settings.frameWidth},
    };
    for (const auto& f : fields) {
        if (!f.typed) continue;
        double value = 0.0;
        int32_t whole = 0;
        bool read = false;
        if (f.real != nullptr) {
            read = readReal(*f.typed, value);
        } else {
            read = NumberFormat::readInteger(*f.typed, whole);
            value = whole;
        }
        if (!read) return SearchProblem{f.field, SearchFault::NotANumber, 0.0};
        if (auto problem = checkSearchField(f.field, value, largestBuffer)) return problem;
        if (f.real != nullptr)
            *f.real = value;
        else
            *f.whole = whole;
    }
    return std::nullopt;
}

}  // namespace motifora
