// BED and bedGraph lines.
#include "io/ScanTracks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace motifora {

namespace {

// Room for a whole number of int64_t and its separator.
constexpr size_t kNumberRoom = 24;

char* put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

char* putNumber(char* at, int64_t value) { return std::to_chars(at, at + kNumberRoom, value).ptr; }

// "chrom\tstart\tend\t".
char* putInterval(char* at, std::string_view chrom, int64_t start, int64_t end) {
    at = put(at, chrom);
    *at++ = '\t';
    at = putNumber(at, start);
    *at++ = '\t';
    at = putNumber(at, end);
    *at++ = '\t';
    return at;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) out.push_back(c == '"' ? '\'' : c);
    out.push_back('"');
    return out;
}

}  // namespace

char* formatTrackNumber(char* out, double value) {
    if (std::isnan(value)) return put(out, "nan");
    if (std::isinf(value)) return put(out, value > 0 ? "inf" : "-inf");
    return std::to_chars(out, out + kMaxTrackNumberText, value).ptr;
}

std::string formatTrackNumber(double value) {
    char text[kMaxTrackNumberText];
    return std::string(text, formatTrackNumber(text, value));
}

void TrackText::grow(size_t bytes) {
    const size_t capacity = std::max(capacity_ * 2, size_ + bytes + (size_t{1} << 16));
    auto data = std::make_unique<char[]>(capacity);
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

void TrackText::Append(std::string_view text) { Written(put(Reserve(text.size()), text)); }

void TrackText::BedGraphLine(std::string_view chrom, int64_t start, int64_t end, double value) {
    char* at = Reserve(chrom.size() + 2 * kNumberRoom + kMaxTrackNumberText + 4);
    at = putInterval(at, chrom, start, end);
    at = formatTrackNumber(at, value);
    *at++ = '\n';
    Written(at);
}

void TrackText::BedLine(std::string_view chrom, int64_t start, int64_t end, std::string_view name,
                        double score, char strand) {
    char* at = Reserve(chrom.size() + name.size() + 2 * kNumberRoom + kMaxTrackNumberText + 8);
    at = putInterval(at, chrom, start, end);
    at = put(at, name);
    *at++ = '\t';
    at = formatTrackNumber(at, score);
    *at++ = '\t';
    *at++ = strand;
    *at++ = '\n';
    Written(at);
}

std::string bedTrackLine(std::string_view name, std::string_view description) {
    return "track name=" + quoted(name) + " description=" + quoted(description) + "\n";
}

std::string bedGraphTrackLine(std::string_view name, std::string_view description) {
    return "track type=bedGraph name=" + quoted(name) + " description=" + quoted(description) +
           "\n";
}

}  // namespace motifora
