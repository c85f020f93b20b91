// libFuzzer target for the discriminative rules' side file: any text is either refused with a
// message naming the file and line, or read into rules whose text reads back to the same rules
// (the text written for them is a fixed point) and that print and map without fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "io/ContrastFile.h"

using namespace motifora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ContrastRules rules;
    const Status status = ParseContrastRules(text, "fuzz.dnp.contrast", rules);
    if (!status.ok) {
        // A refusal says why and where, and leaves the rules as they were.
        if (status.message.rfind("fuzz.dnp.contrast, line ", 0) != 0 || status.line < 1)
            __builtin_trap();
        if (!rules.rules.empty() || rules.complete) __builtin_trap();
        return 0;
    }
    const std::string written = ContrastRulesText(rules);
    ContrastRules back;
    if (!ParseContrastRules(written, "fuzz.dnp.contrast", back).ok) __builtin_trap();
    if (ContrastRulesText(back) != written || back.rules.size() != rules.rules.size())
        __builtin_trap();

    // What the window and the reports do with read rules.
    for (const ContrastRule& rule : rules.rules) {
        (void)rules.conditionsText(rule);
        (void)rules.plainText(rule);
        (void)rule.weight();
    }
    (void)contrastHeatMap(rules);
    return 0;
}
