// The sample record.
#include "core/Sequence.h"

#include <algorithm>

namespace motifora {

int Sequence::assign(const std::string& newText, const std::string& newName,
                     int32_t newStartPosition) {
    text = newText;
    name = newName;
    description.clear();
    startPosition = newStartPosition;
    length = static_cast<int32_t>(text.size());
    return 0;
}

ShorterRecords shorterRecords(const Sequence* records, int32_t count, int32_t width) {
    ShorterRecords shorter;
    for (int32_t i = 0; records != nullptr && i < count; ++i) {
        const int64_t end = int64_t{records[i].startPosition} - 1 + records[i].length;
        if (end < width) ++shorter.count;
        shorter.lengths.push_back(records[i].length);
    }
    std::sort(shorter.lengths.begin(), shorter.lengths.end());
    shorter.lengths.erase(std::unique(shorter.lengths.begin(), shorter.lengths.end()),
                          shorter.lengths.end());
    return shorter;
}

}  // namespace motifora
