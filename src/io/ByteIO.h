// Little-endian byte encoding for the project file: an append-only writer and a bounds-checked
// reader that names the section it is reading when the bytes run out or a value is wrong.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace motifora::io_detail {

// The eight characters that stand for an absent section.
inline constexpr std::string_view kAbsenceMarker = "00000000";

// Appends numbers and texts to a byte string in the file's encoding.
class ByteWriter {
  public:
    void i32(int32_t value) { unsignedBytes(static_cast<uint32_t>(value), 4); }
    void i16(int16_t value) { unsignedBytes(static_cast<uint16_t>(value), 2); }
    void u8(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void f64(double value) { unsignedBytes(std::bit_cast<uint64_t>(value), 8); }
    // A text: its byte count including the terminating zero, the characters, then the zero.
    void text(std::string_view value) {
        i32(static_cast<int32_t>(value.size() + 1));
        bytes_.append(value);
        bytes_.push_back('\0');
    }
    void marker() { bytes_.append(kAbsenceMarker); }
    void raw(std::string_view value) { bytes_.append(value); }

    const std::string& bytes() const { return bytes_; }
    std::string& bytes() { return bytes_; }

  private:
    void unsignedBytes(uint64_t value, int count) {
        for (int i = 0; i < count; ++i)
            bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }

    std::string bytes_;
};

// Thrown inside the project reader only; the reader's public functions (DecodeProject,
// ReadProject) turn it into a Status. It is the reader's one internal way out: every i32(),
// f64() and text() of ByteReader may find the file ending, and a status checked after each of
// the reader's several hundred reads would bury the layout the reader spells out. Nothing
// outside src/io sees it; the writer returns Status from each step instead.
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the file's encoding from a byte span. Every read checks that the bytes are there and
// throws FormatError naming the current section and the byte offset otherwise.
class ByteReader {
  public:
    explicit ByteReader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

    void setSection(std::string name) { section_ = std::move(name); }
    const std::string& section() const { return section_; }
    size_t offset() const { return offset_; }
    size_t remaining() const { return bytes_.size() - offset_; }
    bool atEnd() const { return offset_ == bytes_.size(); }

    int32_t i32() {
        return static_cast<int32_t>(static_cast<uint32_t>(unsignedBytes(4, "a 4-byte integer")));
    }
    int16_t i16() {
        return static_cast<int16_t>(static_cast<uint16_t>(unsignedBytes(2, "a 2-byte integer")));
    }
    uint8_t u8() { return static_cast<uint8_t>(unsignedBytes(1, "a byte")); }
    double f64() { return std::bit_cast<double>(unsignedBytes(8, "an 8-byte number")); }

    // A text of at most `maxLength` characters: its byte count must be 1 or more, the bytes must
    // be in the file and the last of them must be the only zero.
    std::string text(const char* what, size_t maxLength) {
        const size_t at = offset_;
        const int32_t n = i32();
        if (n < 1)
            fail("the byte count of " + std::string(what) + " is " + std::to_string(n) +
                     " (at least 1 is needed for the terminating zero)",
                 at);
        if (static_cast<size_t>(n) - 1 > maxLength) {
            fail(std::string(what) + " claims " + std::to_string(n - 1) +
                     " characters, more than the limit of " + std::to_string(maxLength),
                 at);
        }
        need(static_cast<size_t>(n), what, at);
        const char* start = reinterpret_cast<const char*>(bytes_.data() + offset_);
        std::string value(start, static_cast<size_t>(n) - 1);
        if (start[n - 1] != '\0') fail(std::string(what) + " does not end with a zero byte", at);
        if (value.find('\0') != std::string::npos) {
            fail(std::string(what) + " contains a zero byte before its end", at);
        }
        offset_ += static_cast<size_t>(n);
        return value;
    }

    // True (and the marker consumed) when the next eight bytes are the absence marker.
    bool takeAbsenceMarker() {
        if (remaining() < kAbsenceMarker.size()) return false;
        if (std::memcmp(bytes_.data() + offset_, kAbsenceMarker.data(), kAbsenceMarker.size()) !=
            0) {
            return false;
        }
        offset_ += kAbsenceMarker.size();
        return true;
    }

    // Fails unless `count` items of at least `itemBytes` bytes each can still be in the file;
    // `items` names them in the message ("records", "rules").
    void needItems(int64_t count, int64_t itemBytes, const std::string& items, size_t at) {
        if (count < 0) return;
        if (itemBytes > 0 &&
            static_cast<uint64_t>(count) > remaining() / static_cast<uint64_t>(itemBytes)) {
            fail(std::to_string(count) + " " + items + " cannot fit in the " +
                     std::to_string(remaining()) + " bytes left in the file (each takes at least " +
                     std::to_string(itemBytes) + " bytes)",
                 at);
        }
    }

    [[noreturn]] void fail(const std::string& message, size_t at) const {
        throw FormatError(section_ + ": " + message + " (byte " + std::to_string(at) + ")");
    }
    [[noreturn]] void fail(const std::string& message) const { fail(message, offset_); }

  private:
    void need(size_t count, const char* what, size_t at) {
        if (remaining() < count) {
            fail("the file ends inside " + std::string(what) + ": " + std::to_string(count) +
                     " bytes needed, " + std::to_string(remaining()) + " left",
                 at);
        }
    }
    uint64_t unsignedBytes(size_t count, const char* what) {
        need(count, what, offset_);
        uint64_t value = 0;
        for (size_t i = 0; i < count; ++i)
            value |= static_cast<uint64_t>(bytes_[offset_ + i]) << (8 * i);
        offset_ += count;
        return value;
    }

    std::span<const unsigned char> bytes_;
    size_t offset_ = 0;
    std::string section_;
};

}  // namespace motifora::io_detail
