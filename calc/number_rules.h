// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between field texts and numbers, and the arithmetic of a run.
//
// Every rule that writes or reads a number with a decimal separator takes the
// user's regional separator as a parameter; nothing here reads the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "calc/fatal_error.h"

namespace korvel {

// Text to double, with the regional separator. Leading and trailing blanks
// (U+0020 only) are ignored; what remains must be [+-]digits[<sep>digits][(E|e)[+-]digits].
// Throws 13 for any other text (the empty text included) and 6 for a number
// beyond the double range. A number too small for the range reads as zero.
double ToNumber(std::string_view text, char separator);

// The number at the start of a text, read with the full stop as decimal point
// whatever the regional settings; blanks, tabs and line feeds anywhere in the
// text are dropped first. No number reads as 0. Throws 6 beyond the double range.
double LeadingNumber(std::string_view text);

// A number as text: 15 significant digits, fixed form for decimal exponents
// -4..14, else scientific ("1,5E-05", "1E+15"), no trailing zeros, "0" for zero.
// Negative zero is written "0". Values outside the double range never reach
// this rule in a run (the arithmetic check stops them); for completeness they
// are written "inf", "-inf" and "nan", which ToNumber rejects.
std::string NumberText(double value, char separator);
std::string NumberText(std::int64_t value);

// Nearest 32-bit whole number, ties to even. Throws 6 outside the 32-bit range.
std::int32_t RoundToInt(double value);

// How the report writes a number: a blank for a value of zero or more (the
// minus sign takes its place otherwise), NumberText, a blank.
std::string PrintNumber(double value, char separator);

// An operand of the run's mixed arithmetic: absent (a factor of no brand),
// a whole number or a double. The run reads every text it computes with once,
// by ToNumber, before it uses it.
class Operand {
public:
    struct Absent {};
    Operand() = default;
    Operand(Absent) {}
    Operand(std::int32_t whole) : value_(whole) {}
    Operand(double number) : value_(number) {}

    using Value = std::variant<Absent, std::int32_t, double>;
    const Value& Get() const { return value_; }

private:
    Value value_;
};

// Mixed multiplication: absent counts as the whole number 0; with a double on
// either side the product is a double, two whole numbers give a whole number.
// Throws 6 beyond the range.
Operand Multiply(const Operand& left, const Operand& right);
// Mixed division, always a double. Throws 11 for x/0 with x != 0, 6 for 0/0
// and for a quotient beyond the double range.
double Divide(const Operand& dividend, const Operand& divisor);
// Whole-number quotient truncated toward zero, each operand first made whole
// (a double by RoundToInt, absent as 0). Throws 11 for a divisor of 0 and 6
// outside the 32-bit range.
std::int32_t IntQuotient(const Operand& dividend, const Operand& divisor);

// Plain double arithmetic with the check that follows it: each operation is
// one IEEE rounding; ArithmeticCheck raises 11 if an operation since the last
// check divided a non-zero number by zero, else 6 if one overflowed or was
// invalid, and forgets them either way.
class PlainArithmetic {
public:
    double Mul(double a, double b);
    double Div(double a, double b);
    double Add(double a, double b);
    void ArithmeticCheck();

private:
    void Note(double result);
    bool divisionByZero_ = false;
    bool overflowOrInvalid_ = false;
};

}  // namespace korvel
