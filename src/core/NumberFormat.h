// The program-wide decimal separator and the number texts built on it: fixed notation with d
// decimals, the shortest general form, and the reading of numbers typed by the user.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace motifora {

// One object of this class holds the decimal separator for the whole program (the window model
// owns it). Formatting and reading may be called from any thread; the separator is an atomic
// value, and a formatting call reads it once.
//
// Rounding is done on the exact binary value of a double (all of its decimal digits), halves
// away from zero, so results do not depend on the C library's own rounding.
class NumberFormat {
  public:
    // Takes the separator from the C locale's decimal point as it is now (at start-up: '.').
    NumberFormat();
    explicit NumberFormat(char separator) : separator_(separator) {}

    char separator() const { return separator_.load(std::memory_order_relaxed); }
    void setSeparator(char separator) { separator_.store(separator, std::memory_order_relaxed); }
    // The program-wide switch: a comma becomes a full stop, anything else a comma. Returns the
    // new separator.
    char switchSeparator();

    // Fixed notation with `decimals` decimals: the value is rounded to 8 significant digits,
    // that result to `decimals` decimals (both halves away from zero), and written with exactly
    // `decimals` digits after the separator (none and no separator for 0; negative counts as 0).
    // Zero, -0 and values that round to zero are written without a sign. When the value
    // rounded to 8 significant digits has more than 8 digits before the separator, it is
    // written in exponent form instead: the 8 significant digits as one digit, the separator
    // and seven digits, then "E", the exponent's sign and at least two exponent digits
    // ("1,2345679E+08"). Not-a-number is "NAN", infinities "INF" and "-INF".
    std::string fixed(double value, int decimals) const;

    // The shortest general form: the value rounded to 15 significant digits (halves away from
    // zero) with trailing zeros dropped. Written plainly when 1E-05 <= |rounded value| < 1E+15
    // ("0,05", "-12", "0,333333333333333"), otherwise in exponent form: the first digit, the
    // separator and the further digits when there are any, "E", the exponent's sign and at
    // least two digits ("1E-06", "1,5E+20"). Zero is "0"; NAN, INF and -INF as in fixed().
    std::string general(double value) const;

    // Reads a real number typed by the user with the current separator. Blanks (spaces, tabs)
    // at either end are ignored; the rest must be a whole number: an optional sign, digits with
    // at most one separator among or after them (at least one digit in all), and an optional
    // exponent ("e" or "E", optional sign, digits). Magnitudes beyond the range of a double (too
    // large, or so small and nonzero that no double holds them), texts like "inf" or "nan",
    // hexadecimal and thousands separators do not convert. The value is the double nearest to
    // the decimal number. Returns false (value unchanged) when the text does
    // not convert. Never switches the separator.
    bool tryReadReal(std::string_view text, double& value) const;

    // Reads a real number written with a decimal point or a decimal comma, whichever it holds
    // (the grammar of tryReadReal with either separator), whatever the program-wide separator:
    // numbers given where no separator is chosen (the command line, a scan level). Returns false
    // (value unchanged) when the text is neither.
    static bool readEitherSeparator(std::string_view text, double& value);

    // tryReadReal; when that fails, switches the separator (switchSeparator) and tries once more.
    // The switch stays even when the second attempt fails. `switched`, when given, tells whether
    // the switch happened. Returns whether either attempt converted.
    bool readReal(std::string_view text, double& value, bool* switched = nullptr);

    // Reads a whole 32-bit signed integer: blanks at either end ignored, an optional sign and
    // decimal digits, nothing else. Returns false (value unchanged) when the text does not
    // convert or is out of range.
    static bool readInteger(std::string_view text, int32_t& value);

  private:
    std::atomic<char> separator_;
};

// printf's own "%.*f", "%.*e" and "%g" texts (full stop, the C library's rounding), for the
// outputs that are read by programs rather than typed into the window: summaries, reports,
// tables.
std::string printfFixed(double value, int decimals);
std::string printfScientific(double value, int decimals);
std::string printfGeneral(double value);

}  // namespace motifora
