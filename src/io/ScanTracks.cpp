// BED and bedGraph lines.
#include "io/ScanTracks.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
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
    // std::to_chars's own text: the shortest digits that read back as the value, written in
    // fixed or scientific form, whichever is shorter (fixed on a tie). Dragonbox finds the same
    // digits in about a third of the time; integers above 2^53 (whose fixed form std::to_chars
    // writes exactly rather than padded with zeros) and zero are left to std::to_chars.
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0 || magnitude >= 0x1p53)
        return std::to_chars(out, out + kMaxTrackNumberText, value).ptr;
    const auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    uint64_t digits = decimal.significand;
    int exponent = decimal.exponent;
    while (digits % 10 == 0) {
        digits /= 10;
        ++exponent;
    }
    char text[20];
    char* const textEnd = std::to_chars(text, text + sizeof text, digits).ptr;
    const int count = static_cast<int>(textEnd - text);
    const int scientificExponent = exponent + count - 1;
    const int exponentDigits = std::abs(scientificExponent) >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    const int fixedLength = exponent >= 0             ? count + exponent
                            : scientificExponent >= 0 ? count + 1
                                                      : count + 1 - scientificExponent;
    if (value < 0) *out++ = '-';
    if (fixedLength <= scientificLength) {
        if (exponent >= 0) {
            out = put(out, {text, static_cast<size_t>(count)});
            std::memset(out, '0', static_cast<size_t>(exponent));
            return out + exponent;
        }
        if (scientificExponent >= 0) {
            const auto whole = static_cast<size_t>(scientificExponent + 1);
            out = put(out, {text, whole});
            *out++ = '.';
            return put(out, {text + whole, static_cast<size_t>(count) - whole});
        }
        *out++ = '0';
        *out++ = '.';
        const auto zeros = static_cast<size_t>(-scientificExponent - 1);
        std::memset(out, '0', zeros);
        return put(out + zeros, {text, static_cast<size_t>(count)});
    }
    *out++ = text[0];
    if (count > 1) {
        *out++ = '.';
        out = put(out, {text + 1, static_cast<size_t>(count - 1)});
    }
    *out++ = 'e';
    *out++ = scientificExponent < 0 ? '-' : '+';
    int shown = std::abs(scientificExponent);
    if (exponentDigits == 3) {
        *out++ = static_cast<char>('0' + shown / 100);
        shown %= 100;
    }
    *out++ = static_cast<char>('0' + shown / 10);
    *out++ = static_cast<char>('0' + shown % 10);
    return out;
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

namespace {

// The decimal text of a non-negative number that goes up by one, kept without dividing.
class DecimalCounter {
  public:
    void Set(int64_t value) {
        char* end = std::to_chars(text_, text_ + sizeof text_, value).ptr;
        length_ = static_cast<size_t>(end - text_);
    }
    void Increment() {
        for (size_t i = length_; i-- > 0;) {
            if (text_[i] != '9') {
                ++text_[i];
                return;
            }
            text_[i] = '0';
        }
        std::memmove(text_ + 1, text_, length_);
        text_[0] = '1';
        ++length_;
    }
    char* Put(char* at) const {
        std::memcpy(at, text_, sizeof text_);  // a fixed size copies fastest; the rest is room
        return at + length_;
    }

  private:
    char text_[kNumberRoom] = {};
    size_t length_ = 0;
};

}  // namespace

void TrackText::BedGraphLines(std::string_view chrom, int64_t first, const double* values,
                              const uint8_t* valid, size_t count) {
    if (first < 0) {  // not the scan's case; the counter takes only non-negative numbers
        for (size_t j = 0; j < count; ++j) {
            const int64_t start = first + static_cast<int64_t>(j);
            if (valid[j] != 0) BedGraphLine(chrom, start, start + 1, values[j]);
        }
        return;
    }
    const size_t room = chrom.size() + 3 * kNumberRoom + kMaxTrackNumberText + 4;
    DecimalCounter counter;
    bool counting = false;  // the counter holds first + j
    for (size_t j = 0; j < count; ++j) {
        if (valid[j] == 0) {
            counting = false;
            continue;
        }
        if (!counting) counter.Set(first + static_cast<int64_t>(j));
        char* at = Reserve(room);
        at = put(at, chrom);
        *at++ = '\t';
        at = counter.Put(at);
        *at++ = '\t';
        counter.Increment();
        counting = true;
        at = counter.Put(at);
        *at++ = '\t';
        at = formatTrackNumber(at, values[j]);
        *at++ = '\n';
        Written(at);
    }
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
