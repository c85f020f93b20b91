// The track lines as the genome scan formatted them before its outputs were formatted into
// large buffers: one std::string per number. Kept as the reference the new formatting must match
// byte for byte, and as the "before" of the output benchmark.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace motifora::test {

inline std::string formerTrackNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

inline void formerAppendNumber(std::string& out, int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

inline void formerAppendInterval(std::string& out, std::string_view chrom, int64_t start,
                                 int64_t end) {
    out.append(chrom);
    out.push_back('\t');
    formerAppendNumber(out, start);
    out.push_back('\t');
    formerAppendNumber(out, end);
    out.push_back('\t');
}

inline void formerBedLine(std::string& out, std::string_view chrom, int64_t start, int64_t end,
                          std::string_view name, double score, char strand) {
    formerAppendInterval(out, chrom, start, end);
    out.append(name);
    out.push_back('\t');
    out.append(formerTrackNumber(score));
    out.push_back('\t');
    out.push_back(strand);
    out.push_back('\n');
}

inline void formerBedGraphLine(std::string& out, std::string_view chrom, int64_t start, int64_t end,
                               double value) {
    formerAppendInterval(out, chrom, start, end);
    out.append(formerTrackNumber(value));
    out.push_back('\n');
}

}  // namespace motifora::test
