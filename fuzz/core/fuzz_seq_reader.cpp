// libFuzzer target for the ".seq" reader: any bytes are counted and parsed without a fault, and
// what the reader stores keeps the format's promises.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/FileManager.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace motifora;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int counted = countSeqRecords(bytes);
    check(counted >= 0);
    std::vector<Sequence> records(static_cast<size_t>(counted));
    const SeqReadResult result = parseSeqBuffer(bytes, records.data(), counted);
    check(result.count >= -1 && result.count <= counted);
    if (!result.ok()) {
        check(!result.status.message.empty() && !result.status.ok);
        return 0;
    }
    // An accepted file holds exactly the counted records, each with a name and letters of
    // printable ASCII, at most 1023 of each.
    check(result.count == counted);
    for (int i = 0; i < result.count; ++i) {
        const Sequence& s = records[static_cast<size_t>(i)];
        check(s.startPosition == 1);
        check(s.length == static_cast<int32_t>(s.text.size()));
        check(!s.text.empty() && s.text.size() <= static_cast<size_t>(kSeqFieldLimit));
        check(!s.name.empty() && s.name.size() <= static_cast<size_t>(kSeqFieldLimit));
        for (const std::string* field : {&s.text, &s.name}) {
            for (char c : *field) {
                const auto b = static_cast<unsigned char>(c);
                check(b >= 0x21 && b <= 0x7E && b != ';' && b != '>');
            }
        }
    }
    // A smaller array is never written beyond.
    if (counted > 0) {
        std::vector<Sequence> fewer(static_cast<size_t>(counted - 1));
        check(parseSeqBuffer(bytes, fewer.data(), counted - 1).count == -1);
    }
    return 0;
}
