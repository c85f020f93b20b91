// The codes that name the four samples and the object sets. The samples are numbered two
// ways, each where it is used; the values are those the code has always passed,
// so anything that stores or prints one as a number keeps it (`codeOf`, `fromCode`).
#pragma once

#include <cstdint>
#include <optional>

namespace motifora {

// A sample of the workspace (sequence texts and names, held-out scores of the control data).
enum class SampleKind : int32_t {
    LearnPositive = 0,
    LearnNegative = 1,
    ControlNegative = 2,
    ControlPositive = 3,
};

// An object set of a storage beside its learning objects (SEQStorage::addSetObjects), whose
// objects' classes Classificator::ClassifyObject reports (SetObjectClassed).
enum class ObjectSetKind : int32_t {
    None = 0,  // no set: nothing is built, no grid is written
    ControlPositive = 1,
    ControlNegative = 2,
    LearnNegative = 3,
};

// The number of a code, for a file, a format or a message.
template <typename Code>
constexpr int32_t codeOf(Code code) {
    return static_cast<int32_t>(code);
}

// The code numbered `number` of an enumeration numbered 0 ... `last` without gaps (a project's
// header, a control's item index, an argument); nothing for any other number.
template <typename Code>
constexpr std::optional<Code> fromCode(int32_t number, Code last) {
    if (number < 0 || number > codeOf(last)) return std::nullopt;
    return static_cast<Code>(number);
}

}  // namespace motifora
