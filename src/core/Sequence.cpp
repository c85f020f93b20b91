// The sample record.
#include "core/Sequence.h"

namespace motifora {

int Sequence::assign(const std::string& newText, const std::string& newName,
                     int32_t newStartPosition) {
    text = newText;
    name = newName;
    startPosition = newStartPosition;
    length = static_cast<int32_t>(text.size());
    return 0;
}

}  // namespace motifora
