// The classificator's reports a recording sink kept, in the shapes the classificator tests
// compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ProgressEvents.h"
#include "support/RecordingSink.h"

namespace motifora::testing {

// What the classificator reported to a recording sink, in the shapes the tests compare: the
// status texts, the classes made (texts, indexes, values), and the classes of learning objects
// and rules ({row, class number}, both counted from 1) and of set objects ({set, row, class
// number or -1 for a new object}).
inline std::vector<std::string> statusTexts(const test::RecordingSink& sink) {
    return sink.values(&ObjectIdealizing::text);
}
inline std::vector<std::string> classTexts(const test::RecordingSink& sink) {
    return sink.values(&ClassMade::text);
}
inline std::vector<int32_t> classIndexes(const test::RecordingSink& sink) {
    return sink.values(&ClassMade::index);
}
inline std::vector<double> classValues(const test::RecordingSink& sink) {
    return sink.values(&ClassMade::value);
}
inline std::vector<std::vector<int32_t>> learningClasses(const test::RecordingSink& sink) {
    std::vector<std::vector<int32_t>> found;
    for (const LearningObjectClassed& e : sink.all<LearningObjectClassed>())
        found.push_back({e.object + 1, e.classIndex + 1});
    return found;
}
inline std::vector<std::vector<int32_t>> ruleClasses(const test::RecordingSink& sink) {
    std::vector<std::vector<int32_t>> found;
    for (const RuleClassed& e : sink.all<RuleClassed>())
        found.push_back({e.rule + 1, e.classIndex + 1});
    return found;
}
inline std::vector<std::vector<int32_t>> controlClasses(const test::RecordingSink& sink) {
    std::vector<std::vector<int32_t>> found;
    for (const SetObjectClassed& e : sink.all<SetObjectClassed>())
        found.push_back({codeOf(e.set), e.object + 1, e.classIndex < 0 ? -1 : e.classIndex + 1});
    return found;
}

}  // namespace motifora::testing
