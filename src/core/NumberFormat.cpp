// Number texts with the program-wide decimal separator: exact rounding and strict reading.
#include "core/NumberFormat.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace motifora {

namespace {

// A finite nonzero magnitude as all of its decimal digits: value = 0.d1 d2 ... * 10^(exp + 1),
// i.e. digits[0] has the weight 10^exp.
struct Decimal {
    std::string digits;
    int exp = 0;
};

// The exact decimal expansion of |value| (finite, nonzero). A double has at most 767
// significant decimal digits, so this precision never rounds.
Decimal exactDecimal(double value) {
    char buf[832];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 770);
    Decimal d;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') d.digits.push_back(*p);
    }
    int e = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, e);
    d.exp = e;
    return d;
}

// Adds one to a string of decimal digits; returns true when it grew by a leading "1".
bool incrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// Rounds to `sig` significant digits, a half away from zero (a following digit of 5 or more
// rounds up, as the value's magnitude is rounded). The result has exactly `sig` digits.
Decimal roundSignificant(const Decimal& in, int sig) {
    Decimal out;
    out.exp = in.exp;
    out.digits = in.digits.substr(0, static_cast<size_t>(sig));
    out.digits.resize(static_cast<size_t>(sig), '0');
    if (in.digits.size() > static_cast<size_t>(sig) && in.digits[static_cast<size_t>(sig)] >= '5') {
        if (incrementDigits(out.digits)) {
            out.digits.pop_back();
            ++out.exp;
        }
    }
    return out;
}

std::string exponentText(int exp) {
    std::string s = exp < 0 ? "E-" : "E+";
    const std::string n = std::to_string(exp < 0 ? -exp : exp);
    if (n.size() < 2) s.push_back('0');
    return s + n;
}

// NAN, INF, -INF; empty for finite values.
std::string nonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    return {};
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Parses a real number with `separator` by the grammar of tryReadReal.
bool parseReal(std::string_view text, char separator, double& value) {
    text = trimBlanks(text);
    std::string plain;  // the number with a full stop, as from_chars reads it
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain.push_back('-');
        ++i;
    }
    size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        plain.push_back(text[i++]);
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == separator) {
        ++i;
        std::string fraction;
        while (i < text.size() && isDigit(text[i])) {
            fraction.push_back(text[i++]);
            ++mantissaDigits;
        }
        if (!fraction.empty()) {
            if (plain.empty() || plain == "-") plain.push_back('0');
            plain += '.' + fraction;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        std::string exponent = "e";
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent.push_back(text[i++]);
        size_t expDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            exponent.push_back(text[i++]);
            ++expDigits;
        }
        if (expDigits == 0) return false;
        plain += exponent;
    }
    if (i != text.size()) return false;
    double parsed = 0.0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), parsed,
                                     std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) return false;
    if (!std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

}  // namespace

NumberFormat::NumberFormat() : separator_('.') {
    const std::lconv* conv = std::localeconv();
    // A decimal point of more than one byte cannot be a separator character; keep '.'.
    if (conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0' &&
        conv->decimal_point[1] == '\0') {
        separator_.store(conv->decimal_point[0]);
    }
}

char NumberFormat::switchSeparator() {
    const char next = separator() == ',' ? '.' : ',';
    setSeparator(next);
    return next;
}

std::string NumberFormat::fixed(double value, int decimals) const {
    const char sep = separator();
    if (std::string bad = nonFiniteText(value); !bad.empty()) return bad;
    if (decimals < 0) decimals = 0;
    const size_t d = static_cast<size_t>(decimals);
    std::string scaled;  // the result's digits as an integer scaled by 10^d
    if (value == 0.0) {
        scaled = "0";
    } else {
        const Decimal r8 = roundSignificant(exactDecimal(value), 8);
        if (r8.exp >= 8) {
            std::string s = value < 0 ? "-" : "";
            s += r8.digits[0];
            s += sep;
            s += r8.digits.substr(1);
            return s + exponentText(r8.exp);
        }
        // Digit i of r8 weighs 10^(exp - i); those down to 10^-d are kept.
        const int64_t keep = int64_t{r8.exp} + decimals + 1;
        if (keep >= 8) {
            scaled = r8.digits + std::string(static_cast<size_t>(keep - 8), '0');
        } else if (keep <= 0) {
            scaled = (keep == 0 && r8.digits[0] >= '5') ? "1" : "0";
        } else {
            scaled = r8.digits.substr(0, static_cast<size_t>(keep));
            if (r8.digits[static_cast<size_t>(keep)] >= '5') incrementDigits(scaled);
        }
    }
    if (scaled.size() < d + 1) scaled.insert(0, d + 1 - scaled.size(), '0');
    const bool zero = scaled.find_first_not_of('0') == std::string::npos;
    std::string intPart = scaled.substr(0, scaled.size() - d);
    const size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
    std::string s = (value < 0 && !zero) ? "-" : "";
    s += intPart;
    if (d > 0) {
        s += sep;
        s += scaled.substr(scaled.size() - d);
    }
    return s;
}

std::string NumberFormat::general(double value) const {
    const char sep = separator();
    if (std::string bad = nonFiniteText(value); !bad.empty()) return bad;
    if (value == 0.0) return "0";
    Decimal r = roundSignificant(exactDecimal(value), 15);
    const size_t last = r.digits.find_last_not_of('0');
    r.digits.resize(last + 1);  // a nonzero value keeps at least its first digit
    std::string s = value < 0 ? "-" : "";
    if (r.exp >= -5 && r.exp < 15) {
        if (r.exp >= 0) {
            const size_t intDigits = static_cast<size_t>(r.exp) + 1;
            if (r.digits.size() <= intDigits) {
                s += r.digits + std::string(intDigits - r.digits.size(), '0');
            } else {
                s += r.digits.substr(0, intDigits);
                s += sep;
                s += r.digits.substr(intDigits);
            }
        } else {
            s += '0';
            s += sep;
            s += std::string(static_cast<size_t>(-r.exp - 1), '0') + r.digits;
        }
        return s;
    }
    s += r.digits[0];
    if (r.digits.size() > 1) {
        s += sep;
        s += r.digits.substr(1);
    }
    return s + exponentText(r.exp);
}

bool NumberFormat::tryReadReal(std::string_view text, double& value) const {
    return parseReal(text, separator(), value);
}

bool NumberFormat::readEitherSeparator(std::string_view text, double& value) {
    return parseReal(text, '.', value) || parseReal(text, ',', value);
}

bool NumberFormat::readReal(std::string_view text, double& value, bool* switched) {
    if (switched != nullptr) *switched = false;
    if (parseReal(text, separator(), value)) return true;
    const char next = switchSeparator();
    if (switched != nullptr) *switched = true;
    return parseReal(text, next, value);
}

bool NumberFormat::readInteger(std::string_view text, int32_t& value) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return false;
    }
    if (text.empty()) return false;
    int32_t parsed = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

std::string printfFixed(double value, int decimals) {
    char text[400];  // the largest double has 309 digits before the point
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string printfScientific(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", decimals, value);
    return text;
}

std::string printfGeneral(double value) {
    char text[32];  // six significant digits and an exponent at the most
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace motifora
