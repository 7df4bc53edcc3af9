// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/number_rules.h"

#include <algorithm>
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

namespace {

// A text of at most N bytes kept in place: NumberText builds a few short
// texts for every number, and the heap and the bounds checks of std::string
// cost more than the rest of it.
template <std::size_t N>
class ShortText {
public:
    void operator+=(char c) { bytes_[size_++] = c; }
    void operator+=(std::string_view text) { Append(text); }
    void Append(std::string_view text) {
        std::copy(text.begin(), text.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(size_));
        size_ += text.size();
    }
    void Append(std::size_t count, char c) {
        std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(size_), count, c);
        size_ += count;
    }
    void PopBack() { --size_; }
    char Back() const { return bytes_[size_ - 1]; }
    std::size_t Size() const { return size_; }
    std::string_view View() const { return {bytes_.data(), size_}; }

private:
    std::array<char, N> bytes_;
    std::size_t size_ = 0;
};

// A finite non-zero magnitude correctly rounded to 15 significant digits:
// the digits without trailing zeros, and the decimal exponent of the first.
struct Digits15 {
    ShortText<15> digits;
    int exponent = 0;
};

Digits15 RoundTo15Digits(double magnitude) {
    std::array<char, 32> buffer{};
    const std::string_view s = ScientificDigits(magnitude, buffer);
    const std::size_t ePos = s.find('e');
    Digits15 d;
    d.digits += s[0];
    d.digits.Append(s.substr(2, ePos - 2));
    while (d.digits.Size() > 1 && d.digits.Back() == '0') d.digits.PopBack();
    std::from_chars(s.data() + ePos + (s[ePos + 1] == '+' ? 2 : 1), s.data() + s.size(), d.exponent);
    return d;
}

// The longest: a sign, "0,000" and 15 digits, or "d,", 14 digits and "E-308".
using NumberTextBuffer = ShortText<32>;

// Decimal exponents -4..14: no exponent, no grouping, no trailing zeros.
void AppendFixedForm(NumberTextBuffer& out, const Digits15& d, char separator) {
    const std::string_view digits = d.digits.View();
    const int count = static_cast<int>(digits.size());
    if (d.exponent < 0) {
        out += '0';
        out += separator;
        out.Append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out += digits;
    } else if (count <= d.exponent + 1) {
        out += digits;
        out.Append(static_cast<std::size_t>(d.exponent + 1 - count), '0');
    } else {
        const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
        out += digits.substr(0, integerDigits);
        out += separator;
        out += digits.substr(integerDigits);
    }
}

// "1,5E-05", "1E+15": the exponent with a sign and at least two digits.
void AppendScientificForm(NumberTextBuffer& out, const Digits15& d, char separator) {
    const std::string_view digits = d.digits.View();
    out += digits[0];
    if (digits.size() > 1) {
        out += separator;
        out += digits.substr(1);
    }
    out += 'E';
    out += d.exponent < 0 ? '-' : '+';
    const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;  // below 400
    if (magnitude >= 100) out += static_cast<char>('0' + magnitude / 100);
    out += static_cast<char>('0' + magnitude / 10 % 10);
    out += static_cast<char>('0' + magnitude % 10);
}

}  // namespace

std::string NumberText(double value, char separator) {
    if (value == 0.0) return "0";
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

    const Digits15 d = RoundTo15Digits(std::fabs(value));
    NumberTextBuffer out;
    if (value < 0) out += '-';
    if (d.exponent >= -4 && d.exponent <= 14) {
        AppendFixedForm(out, d, separator);
    } else {
        AppendScientificForm(out, d, separator);
    }
    return std::string(out.View());
}

std::string NumberText(std::int64_t value) { return std::to_string(value); }

std::int32_t RoundToInt(double value) {
    // Ties to even, matching the default IEEE rounding of nearbyint.
    if (!(value >= -2147483648.5 && value < 2147483647.5)) throw FatalError(FatalError::kOverflow);
    return static_cast<std::int32_t>(std::nearbyint(value));
}

std::string PrintNumber(double value, char separator) {
    std::string out = value < 0 ? "" : " ";
    out += NumberText(value, separator);
    out += ' ';
    return out;
}

namespace {

double AsDouble(const Operand& operand) {
    return std::visit(
        [](const auto& v) -> double {
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, Operand::Absent>) {
                return 0.0;
            } else {
                return static_cast<double>(v);
            }
        },
        operand.Get());
}

std::int32_t AsWhole(const Operand& operand) {
    if (const double* d = std::get_if<double>(&operand.Get())) return RoundToInt(*d);
    if (const std::int32_t* i = std::get_if<std::int32_t>(&operand.Get())) return *i;
    return 0;
}

bool IsWholeKind(const Operand& operand) { return !std::holds_alternative<double>(operand.Get()); }

}  // namespace

Operand Multiply(const Operand& left, const Operand& right) {
    if (IsWholeKind(left) && IsWholeKind(right)) {
        const auto product = static_cast<std::int64_t>(AsWhole(left)) * AsWhole(right);
        if (product < std::numeric_limits<std::int32_t>::min() || product > std::numeric_limits<std::int32_t>::max())
            throw FatalError(FatalError::kOverflow);
        return Operand(static_cast<std::int32_t>(product));
    }
    const double product = AsDouble(left) * AsDouble(right);
    if (!std::isfinite(product)) throw FatalError(FatalError::kOverflow);
    return Operand(product);
}

double Divide(const Operand& dividend, const Operand& divisor) {
    const double a = AsDouble(dividend);
    const double b = AsDouble(divisor);
    if (b == 0.0) throw FatalError(a == 0.0 ? FatalError::kOverflow : FatalError::kDivisionByZero);
    const double quotient = a / b;
    if (!std::isfinite(quotient)) throw FatalError(FatalError::kOverflow);
    return quotient;
}

std::int32_t IntQuotient(const Operand& dividend, const Operand& divisor) {
    const std::int32_t a = AsWhole(dividend);
    const std::int32_t b = AsWhole(divisor);
    if (b == 0) throw FatalError(FatalError::kDivisionByZero);
    if (a == std::numeric_limits<std::int32_t>::min() && b == -1) throw FatalError(FatalError::kOverflow);
    return a / b;
}

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
