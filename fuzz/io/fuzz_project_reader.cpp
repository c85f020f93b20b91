// libFuzzer target for the project reader: any bytes are either refused with a message or read
// into data that write back to exactly the same bytes and print without fault.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "io/ProjectFile.h"

using namespace motifora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProjectData project;
    const Status status = DecodeProject({data, size}, "fuzz.dnp", project);
    if (!status.ok) {
        if (status.message.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    std::string bytes;
    if (!EncodeProject(viewOf(project), bytes).ok) __builtin_trap();
    if (bytes.size() != size || (size > 0 && std::memcmp(bytes.data(), data, size) != 0))
        __builtin_trap();

    // What the window does with an opened project: print the rules and the classes.
    if (project.rules) {
        std::string fisher, cp, rule;
        for (int32_t i = 0; i < project.rules->Count(); ++i)
            project.rules->GetTexts(i, fisher, cp, rule);
    }
    if (project.storage) {
        std::string text;
        for (int32_t k = 0; k < project.classCount; ++k) {
            project.idealObjects[static_cast<size_t>(k)]->ToText(text, project.storage->codeTable);
        }
    }
    return 0;
}
