// BED and bedGraph lines.
#include "io/ScanTracks.h"

#include <charconv>
#include <cmath>

namespace motifora {

namespace {

void appendNumber(std::string& out, int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

// The three columns every track line begins with, and the tab after them.
void appendInterval(std::string& out, std::string_view chrom, int64_t start, int64_t end) {
    out.append(chrom);
    out.push_back('\t');
    appendNumber(out, start);
    out.push_back('\t');
    appendNumber(out, end);
    out.push_back('\t');
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) out.push_back(c == '"' ? '\'' : c);
    out.push_back('"');
    return out;
}

}  // namespace

std::string formatTrackNumber(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

void appendBedLine(std::string& out, std::string_view chrom, int64_t start, int64_t end,
                   std::string_view name, double score, char strand) {
    appendInterval(out, chrom, start, end);
    out.append(name);
    out.push_back('\t');
    out.append(formatTrackNumber(score));
    out.push_back('\t');
    out.push_back(strand);
    out.push_back('\n');
}

void appendBedGraphLine(std::string& out, std::string_view chrom, int64_t start, int64_t end,
                        double value) {
    appendInterval(out, chrom, start, end);
    out.append(formatTrackNumber(value));
    out.push_back('\n');
}

std::string bedTrackLine(std::string_view name, std::string_view description) {
    return "track name=" + quoted(name) + " description=" + quoted(description) + "\n";
}

std::string bedGraphTrackLine(std::string_view name, std::string_view description) {
    return "track type=bedGraph name=" + quoted(name) + " description=" + quoted(description) +
           "\n";
}

}  // namespace motifora
