// The reading of typed class lists.
#include "core/ClassList.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "core/NumberFormat.h"
#include "core/TextItems.h"

namespace motifora {

namespace {

// A class number: an optional '+' and decimal digits, at least 1, at most the largest int32.
bool readClassNumber(std::string_view text, int32_t& number) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(),
                                     [](unsigned char c) { return std::isdigit(c) != 0; }))
        return false;
    int32_t value = 0;
    if (!NumberFormat::readInteger(text, value) || value < 1) return false;
    number = value;
    return true;
}

bool readItem(std::string_view item, ClassRange& range) {
    // The dash of a run follows the first number, so a sign or digit comes before it.
    const size_t dash = item.find('-', 1);
    const std::string_view from = item.substr(0, dash);
    const std::string_view to = dash == std::string_view::npos ? from : item.substr(dash + 1);
    int32_t first = 0;
    int32_t last = 0;
    if (!readClassNumber(from, first) || !readClassNumber(to, last) || last < first ||
        static_cast<int64_t>(last) - first > kWidestClassRun)
        return false;
    range = {first, last};
    return true;
}

}  // namespace

bool readClassList(std::string_view text, std::vector<ClassRange>& ranges, std::string* bad) {
    std::vector<std::string_view> items = commaItems(text);
    if (items.size() > 1 && items.back().empty()) items.pop_back();
    std::vector<ClassRange> read;
    for (const std::string_view item : items) {
        ClassRange range;
        if (!readItem(item, range)) {
            if (bad != nullptr) *bad = std::string(item);
            return false;
        }
        read.push_back(range);
    }
    ranges = std::move(read);
    return true;
}

std::optional<ClassRange> classBlock(std::vector<ClassRange> ranges) {
    if (ranges.empty()) return std::nullopt;
    std::sort(ranges.begin(), ranges.end(),
              [](const ClassRange& a, const ClassRange& b) { return a.first < b.first; });
    ClassRange block = ranges.front();
    for (const ClassRange& r : ranges) {
        if (static_cast<int64_t>(r.first) > static_cast<int64_t>(block.last) + 1)
            return std::nullopt;
        block.last = std::max(block.last, r.last);
    }
    return block;
}

std::vector<int32_t> classIndexes(const std::vector<ClassRange>& ranges, int32_t known) {
    std::vector<int32_t> indexes;
    std::unordered_set<int32_t> taken;
    for (const ClassRange& r : ranges) {
        const int64_t last =
            std::min<int64_t>(r.last, std::max<int64_t>(r.first, static_cast<int64_t>(known) + 1));
        for (int64_t k = r.first; k <= last; ++k) {
            const auto index = static_cast<int32_t>(k - 1);
            if (taken.insert(index).second) indexes.push_back(index);
            if (k > known) return indexes;
        }
    }
    return indexes;
}

}  // namespace motifora
