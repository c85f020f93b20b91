// Text of BED6 and bedGraph tracks: the lines a genome scan writes, with scores written so that
// they read back as the same doubles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace motifora {

// The longest text formatTrackNumber writes ("-2.2250738585072014e-308" and the like).
constexpr size_t kMaxTrackNumberText = 32;

// The shortest decimal text that reads back as exactly `value` ("inf", "-inf", "nan" for the
// special values).
std::string formatTrackNumber(double value);
// The same text written at `out`, which has room for kMaxTrackNumberText characters; returns
// the end of what was written.
char* formatTrackNumber(char* out, double value);

// Track lines naming the model; double quotes in the texts become single quotes.
std::string bedTrackLine(std::string_view name, std::string_view description);
std::string bedGraphTrackLine(std::string_view name, std::string_view description);

// A growing byte buffer that track lines are written into without a check per character: each
// line reserves room for its longest form first.
class TrackText {
  public:
    // Room for `bytes` more; returns where to write them.
    char* Reserve(size_t bytes) {
        if (capacity_ - size_ < bytes) grow(bytes);
        return data_.get() + size_;
    }
    // Marks the bytes up to `end` (inside the last reserved room) as written.
    void Written(const char* end) { size_ = static_cast<size_t>(end - data_.get()); }
    void Append(std::string_view text);
    // Appends "chrom\tstart\tend\tvalue\n" (0-based, half-open coordinates).
    void BedGraphLine(std::string_view chrom, int64_t start, int64_t end, double value);
    // Appends the bedGraph lines of the window starts first, first + 1, ... first + count - 1
    // whose valid[j] is not 0: "chrom\tstart\tstart+1\tvalues[j]\n".
    void BedGraphLines(std::string_view chrom, int64_t first, const double* values,
                       const uint8_t* valid, size_t count);
    // Appends "chrom\tstart\tend\tname\tscore\tstrand\n".
    void BedLine(std::string_view chrom, int64_t start, int64_t end, std::string_view name,
                 double score, char strand);

    std::string_view View() const { return {data_.get(), size_}; }
    size_t Size() const { return size_; }
    void Clear() { size_ = 0; }

  private:
    void grow(size_t bytes);

    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace motifora
