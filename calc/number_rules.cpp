// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/number_rules.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>

namespace korvel {

namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The two places where digits meet doubles. Where the standard library has no
// floating-point to_chars/from_chars (Emscripten's libc++), the C library's
// printf and strtod take over: musl's are correctly rounded as well, and read
// and write the full stop in every locale.
#if defined(__cpp_lib_to_chars)

// The magnitude correctly rounded to 15 digits: "d.dddddddddddddde[+-]x".
std::string_view ScientificDigits(double magnitude, std::array<char, 32>& buffer) {
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::scientific, 14);
    return {buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())};
}

// The double nearest to "digits[.digits]e[-]digits"; false when the number
// lies beyond the double range, too large or too small for any but zero.
bool NearestDouble(const std::string& text, double& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    return result.ec != std::errc::result_out_of_range;
}

#else

std::string_view ScientificDigits(double magnitude, std::array<char, 32>& buffer) {
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.14e", magnitude);
    return {buffer.data(), static_cast<std::size_t>(length)};
}

bool NearestDouble(const std::string& text, double& value) {
    errno = 0;
    value = std::strtod(text.c_str(), nullptr);
    // ERANGE also marks a subnormal result, which is in range.
    return !(errno == ERANGE && (value == 0.0 || std::isinf(value)));
}

#endif

// A number as scanned from text, ready for NearestDouble: mantissa digits
// with an optional full stop, and the exponent kept apart so that a huge
// exponent cannot overflow the scanner.
struct ScannedNumber {
    bool negative = false;
    std::string mantissa;    // digits, optionally one '.', at least one digit
    long long exponent = 0;  // saturated far beyond the double range
};

void ScanExponentDigits(std::string_view text, std::size_t& pos, long long& exponent, bool negative) {
    long long value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (value < 1'000'000'000) value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    exponent = negative ? -value : value;
}

// The decimal exponent of the first non-zero mantissa digit, or nothing for a
// zero mantissa; tells an overflowing number from one that underflows.
long long LeadingExponent(const ScannedNumber& n) {
    long long position = 0;  // power of ten of the digit under the cursor
    const auto point = n.mantissa.find('.');
    const std::size_t intDigits = point == std::string::npos ? n.mantissa.size() : point;
    position = static_cast<long long>(intDigits) - 1;
    for (char c : n.mantissa) {
        if (c == '.') continue;
        if (c != '0') return position + n.exponent;
        --position;
    }
    return std::numeric_limits<long long>::min();
}

double Convert(const ScannedNumber& n) {
    std::string buffer = n.mantissa;
    buffer += 'e';
    buffer += std::to_string(n.exponent);
    double value = 0.0;
    if (!NearestDouble(buffer, value)) {
        if (LeadingExponent(n) > 0) throw FatalError(FatalError::kOverflow);
        value = 0.0;  // below the smallest subnormal: the nearest double is zero
    }
    return n.negative ? -value : value;
}

}  // namespace

std::string_view DescriptionOf(int code) {
    switch (code) {
        case FatalError::kOverflow:
            return "Переполнение";
        case FatalError::kDivisionByZero:
            return "Деление на ноль";
        case FatalError::kTypeMismatch:
            return "Несоответствие типа";
        default:
            return "";
    }
}

FatalError::FatalError(int code, std::string description)
    : std::runtime_error(std::to_string(code) + ": " + description),
      code_(code),
      description_(std::move(description)) {}

FatalError::FatalError(int code) : FatalError(code, std::string(DescriptionOf(code))) {}

std::string ErrorText(const FatalError& error) {
    return "Ошибка " + std::to_string(error.Code()) + ": " + error.Description();
}

double ToNumber(std::string_view text, char separator) {
    // Only blanks: a tab or line feed at either end leaves the text no number.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

    ScannedNumber n;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) n.negative = text[pos++] == '-';
    const std::size_t intStart = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    if (pos == intStart) throw FatalError(FatalError::kTypeMismatch);
    n.mantissa.assign(text.substr(intStart, pos - intStart));
    if (pos < text.size() && text[pos] == separator) {
        const std::size_t fracStart = ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
        if (pos == fracStart) throw FatalError(FatalError::kTypeMismatch);
        n.mantissa += '.';
        n.mantissa.append(text.substr(fracStart, pos - fracStart));
    }
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negativeExponent = text[pos++] == '-';
        const std::size_t expStart = pos;
        ScanExponentDigits(text, pos, n.exponent, negativeExponent);
        if (pos == expStart) throw FatalError(FatalError::kTypeMismatch);
    }
    if (pos != text.size()) throw FatalError(FatalError::kTypeMismatch);
    return Convert(n);
}

double LeadingNumber(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (char c : raw) {
        if (c != ' ' && c != '\t' && c != '\n') text += c;
    }

    ScannedNumber n;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) n.negative = text[pos++] == '-';
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        n.mantissa += text[pos++];
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        n.mantissa += '.';
        while (pos < text.size() && IsDigit(text[pos])) {
            n.mantissa += text[pos++];
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    if (n.mantissa.front() == '.') n.mantissa.insert(n.mantissa.begin(), '0');
    if (pos + 1 < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        std::size_t expPos = pos + 1;
        bool negativeExponent = false;
        if (text[expPos] == '+' || text[expPos] == '-') negativeExponent = text[expPos++] == '-';
        if (expPos < text.size() && IsDigit(text[expPos]))
            ScanExponentDigits(text, expPos, n.exponent, negativeExponent);
    }
    return Convert(n);
}

std::string NumberText(double value, char separator) {
    if (value == 0.0) return "0";
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

    // "d.dddddddddddddde[+-]x": the value correctly rounded to 15 digits.
    std::array<char, 32> buffer{};
    const std::string_view s = ScientificDigits(std::fabs(value), buffer);
    const std::size_t ePos = s.find('e');
    std::string digits;
    digits.reserve(15);
    digits += s[0];
    digits.append(s.substr(2, ePos - 2));
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    std::from_chars(s.data() + ePos + (s[ePos + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);

    std::string out;
    out.reserve(24);
    if (value < 0) out += '-';
    const int count = static_cast<int>(digits.size());
    if (exponent >= -4 && exponent <= 14) {
        if (exponent < 0) {
            out += '0';
            out += separator;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else if (count <= exponent + 1) {
            out += digits;
            out.append(static_cast<std::size_t>(exponent + 1 - count), '0');
        } else {
            const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
            out.append(digits, 0, integerDigits);
            out += separator;
            out.append(digits, integerDigits);
        }
    } else {
        out += digits[0];
        if (count > 1) {
            out += separator;
            out.append(digits, 1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) out += '0';
        out += std::to_string(magnitude);
    }
    return out;
}

std::string NumberText(std::int64_t value) { return std::to_string(value); }

std::int32_t RoundToInt(double value) {
    // Ties to even, matching the default IEEE rounding of nearbyint.
    if (!(value >= -2147483648.5 && value < 2147483647.5)) throw FatalError(FatalError::kOverflow);
    return static_cast<std::int32_t>(std::nearbyint(value));
}

void AppendPrintNumber(std::string& out, double value, char separator) {
    if (!(value < 0)) out += ' ';
    out += NumberText(value, separator);
    out += ' ';
}

std::string PrintNumber(double value, char separator) {
    std::string out;
    AppendPrintNumber(out, value, separator);
    return out;
}

namespace {

// An operand as a double, converting a text when it is used.
double AsDouble(const Operand& operand, char separator) {
    return std::visit(
        [separator](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Operand::Absent>) {
                return 0.0;
            } else if constexpr (std::is_same_v<T, std::string_view>) {
                return ToNumber(v, separator);
            } else {
                return static_cast<double>(v);
            }
        },
        operand.Get());
}

std::int32_t AsWhole(const Operand& operand, char separator) {
    return std::visit(
        [separator](const auto& v) -> std::int32_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Operand::Absent>) {
                return 0;
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                return v;
            } else if constexpr (std::is_same_v<T, std::string_view>) {
                return RoundToInt(ToNumber(v, separator));
            } else {
                return RoundToInt(v);
            }
        },
        operand.Get());
}

bool IsWholeKind(const Operand& operand) {
    return std::holds_alternative<Operand::Absent>(operand.Get()) ||
           std::holds_alternative<std::int32_t>(operand.Get());
}

}  // namespace

Operand Multiply(const Operand& left, const Operand& right, char separator) {
    if (IsWholeKind(left) && IsWholeKind(right)) {
        const auto product = static_cast<std::int64_t>(AsWhole(left, separator)) * AsWhole(right, separator);
        if (product < std::numeric_limits<std::int32_t>::min() || product > std::numeric_limits<std::int32_t>::max())
            throw FatalError(FatalError::kOverflow);
        return Operand(static_cast<std::int32_t>(product));
    }
    const double a = AsDouble(left, separator);
    const double b = AsDouble(right, separator);
    const double product = a * b;
    if (!std::isfinite(product)) throw FatalError(FatalError::kOverflow);
    return Operand(product);
}

double Divide(const Operand& dividend, const Operand& divisor, char separator) {
    const double a = AsDouble(dividend, separator);
    const double b = AsDouble(divisor, separator);
    if (b == 0.0) throw FatalError(a == 0.0 ? FatalError::kOverflow : FatalError::kDivisionByZero);
    const double quotient = a / b;
    if (!std::isfinite(quotient)) throw FatalError(FatalError::kOverflow);
    return quotient;
}

std::int32_t IntQuotient(const Operand& dividend, const Operand& divisor, char separator) {
    const std::int32_t a = AsWhole(dividend, separator);
    const std::int32_t b = AsWhole(divisor, separator);
    if (b == 0) throw FatalError(FatalError::kDivisionByZero);
    if (a == std::numeric_limits<std::int32_t>::min() && b == -1) throw FatalError(FatalError::kOverflow);
    return a / b;
}

bool IsZero(const Operand& value, char separator) { return AsDouble(value, separator) == 0.0; }

void PlainArithmetic::Note(double result) {
    // An infinite result is an overflow (or follows one); NaN is an invalid 0/0.
    if (!std::isfinite(result)) overflowOrInvalid_ = true;
}

double PlainArithmetic::Mul(double a, double b) {
    const double r = a * b;
    Note(r);
    return r;
}

double PlainArithmetic::Div(double a, double b) {
    if (b == 0.0 && a != 0.0 && !std::isnan(a)) divisionByZero_ = true;
    const double r = a / b;
    Note(r);
    return r;
}

double PlainArithmetic::Add(double a, double b) {
    const double r = a + b;
    Note(r);
    return r;
}

void PlainArithmetic::ArithmeticCheck() {
    const bool divisionByZero = divisionByZero_;
    const bool overflowOrInvalid = overflowOrInvalid_;
    divisionByZero_ = overflowOrInvalid_ = false;
    if (divisionByZero) throw FatalError(FatalError::kDivisionByZero);
    if (overflowOrInvalid) throw FatalError(FatalError::kOverflow);
}

}  // namespace korvel
