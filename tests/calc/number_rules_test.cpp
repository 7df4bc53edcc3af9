// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/number_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

namespace korvel {
namespace {

// Replaces every comma by the separator, so one table serves both settings.
std::string WithSeparator(std::string text, char separator) {
    for (char& c : text) {
        if (c == ',') c = separator;
    }
    return text;
}

int FailureCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const FatalError& error) {
        return error.Code();
    }
    return 0;
}

class BothSeparators : public ::testing::TestWithParam<char> {};
INSTANTIATE_TEST_SUITE_P(Settings, BothSeparators, ::testing::Values(',', '.'));

TEST_P(BothSeparators, NumberTextWritesFifteenDigitsInFixedOrScientificForm) {
    const char sep = GetParam();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {4500, "4500"},
        {1807200, "1807200"},
        {0.9, "0,9"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3.0, "0,333333333333333"},
        {2.0 / 3.0, "0,666666666666667"},
        {0.0003036, "0,0003036"},
        {0.0001, "0,0001"},
        {0.00003, "3E-05"},
        {0.000015, "1,5E-05"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {-2.5, "-2,5"},
        {0.0, "0"},
        {-0.0, "0"},
        {1e14, "100000000000000"},
        {999999999999999.4, "999999999999999"},
        {999999999999999.6, "1E+15"},  // rounding carries into the next exponent
        {0.000099999999999999995, "0,0001"},
        {0.00009999999999999, "9,999999999999E-05"},
        {123456789012345678.0, "1,23456789012346E+17"},
        {-1.5e-300, "-1,5E-300"},
        {std::numeric_limits<double>::denorm_min(), "4,94065645841247E-324"},
        {std::numeric_limits<double>::max(), "1,79769313486232E+308"},
        {0.0035277, "0,0035277"},
        {9.2e-06, "9,2E-06"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberText(c.value, sep), WithSeparator(c.text, sep)) << c.value;
    }
    EXPECT_EQ(NumberText(std::int64_t{1}), "1");
    EXPECT_EQ(NumberText(std::int64_t{-32768}), "-32768");
}

TEST_P(BothSeparators, PrintNumberPutsBlanksAroundAndLetsTheMinusTakeTheFirst) {
    const char sep = GetParam();
    EXPECT_EQ(PrintNumber(0.9, sep), WithSeparator(" 0,9 ", sep));
    EXPECT_EQ(PrintNumber(1, sep), " 1 ");
    EXPECT_EQ(PrintNumber(0, sep), " 0 ");
    EXPECT_EQ(PrintNumber(-0.0, sep), " 0 ");
    EXPECT_EQ(PrintNumber(-0.5, sep), WithSeparator("-0,5 ", sep));
    EXPECT_EQ(PrintNumber(0.00003, sep), " 3E-05 ");
    EXPECT_EQ(PrintNumber(0.000184, sep), WithSeparator(" 0,000184 ", sep));
}

TEST_P(BothSeparators, ToNumberAcceptsOnlyNumbersWithTheRegionalSeparator) {
    const char sep = GetParam();
    const char other = sep == ',' ? '.' : ',';
    // '#' stands for the regional separator, '~' for the other one.
    const struct {
        const char* text;
        double value;
        int code;
    } cases[] = {
        {"502", 502, 0},
        {" 1#5 ", 1.5, 0},
        {"  -2#5e+1", -25, 0},
        {"\t-2#5e+1", 0, FatalError::kTypeMismatch},  // only blanks are ignored, not tabs or line feeds
        {"502\n", 0, FatalError::kTypeMismatch},
        {"+3", 3, 0},
        {"1E3", 1000, 0},
        {"4#5e-2", 0.045, 0},
        {"1E-400", 0, 0},  // too small for the range: the nearest double
        {"0e999999999999999999999", 0, 0},
        {"", 0, FatalError::kTypeMismatch},
        {"   ", 0, FatalError::kTypeMismatch},
        {"abc", 0, FatalError::kTypeMismatch},
        {"1~5", 0, FatalError::kTypeMismatch},
        {"1 000", 0, FatalError::kTypeMismatch},
        {"#5", 0, FatalError::kTypeMismatch},
        {"5#", 0, FatalError::kTypeMismatch},
        {"1e", 0, FatalError::kTypeMismatch},
        {"1e+", 0, FatalError::kTypeMismatch},
        {"-", 0, FatalError::kTypeMismatch},
        {"12x", 0, FatalError::kTypeMismatch},
        {"1e400", 0, FatalError::kOverflow},
        {"-1e400", 0, FatalError::kOverflow},
        {"1e99999999999999999999", 0, FatalError::kOverflow},
        {"0#0000001e316", 0, FatalError::kOverflow},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        for (char& ch : text) {
            if (ch == '#') ch = sep;
            if (ch == '~') ch = other;
        }
        double value = -1;
        EXPECT_EQ(FailureCode([&] { value = ToNumber(text, sep); }), c.code) << text;
        if (c.code == 0) {
            EXPECT_EQ(value, c.value) << text;
        }
    }
    EXPECT_TRUE(std::signbit(ToNumber("-0", sep)));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartWithAFullStopWhateverTheSettings) {
    const struct {
        const char* text;
        double value;
        bool whole;  // nothing of the text is left unread (PartlyRead)
    } cases[] = {
        {"330.00", 330, true},  {"330,5", 330, false},   {"1,5", 1, false},       {"1 000.5", 1000.5, true},
        {"", 0, true},          {"abc", 0, false},       {",5", 0, false},        {" 1\t2\n3", 123, true},
        {"1e3x", 1000, false},  {"1E+2", 100, true},     {"1e", 1, false},        {"1e+", 1, false},
        {"2e-1", 0.2, true},    {".5", 0.5, true},       {"5.", 5, true},         {"-10", -10, true},
        {"+7", 7, true},        {"--5", 0, false},       {"-", 0, false},         {"12.5.3", 12.5, false},
        {"365.5", 365.5, true}, {"1e-400", 0, true},     {"0x10", 0, false},      {"7 дней", 7, false},
        {"  ", 0, true},        {"1\r5", 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text;
        EXPECT_EQ(PartlyRead(c.text), c.whole ? std::nullopt : std::optional<double>(c.value)) << c.text;
    }
    EXPECT_EQ(PartlyRead("1e400 kg"), std::nullopt);  // no number: the run fails on it
    EXPECT_EQ(FailureCode([] { LeadingNumber("1e400"); }), FatalError::kOverflow);
    EXPECT_EQ(FailureCode([] { LeadingNumber("-9e999 kg"); }), FatalError::kOverflow);
    EXPECT_EQ(FailureCode([] { LeadingNumber("1\r5"); }), 0);  // a CR ends the number
}

TEST(RoundToInt, RoundsHalfwayToEvenWithinThe32BitRange) {
    const struct {
        double value;
        std::int32_t rounded;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-2.5, -2},
        {82.5, 82},
        {90.41, 90},
        {-0.4, 0},
        {16799.5, 16800},
        {16798.5, 16798},
        {2147483647.4, 2147483647},
        {-2147483648.5, -2147483648},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToInt(c.value), c.rounded) << c.value;
    for (double bad : {2147483647.5, -2147483648.6, 1e300, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(FailureCode([&] { RoundToInt(bad); }), FatalError::kOverflow) << bad;
    }
}

TEST(MixedArithmetic, KindsAndFailureCodes) {
    const Operand absent{Operand::Absent{}};
    const Operand one{std::int32_t{1}};

    EXPECT_EQ(IntQuotient(Operand(std::int32_t{7}), Operand(std::int32_t{2})), 3);
    EXPECT_EQ(IntQuotient(Operand(std::int32_t{-7}), Operand(std::int32_t{2})), -3);
    EXPECT_EQ(IntQuotient(Operand(2.5), one), 2);
    EXPECT_EQ(IntQuotient(Operand(3.5), one), 4);
    EXPECT_EQ(IntQuotient(absent, one), 0);
    EXPECT_EQ(IntQuotient(Operand(18400.000000000004), one), 18400);

    const struct {
        std::function<void()> action;
        int code;
    } failures[] = {
        {[&] { IntQuotient(one, Operand(0.4)); }, FatalError::kDivisionByZero},
        {[&] { IntQuotient(Operand(2147483647.5), one); }, FatalError::kOverflow},
        {[&] { Divide(Operand(1.0), Operand(0.0)); }, FatalError::kDivisionByZero},
        {[&] { Divide(Operand(0.0), Operand(std::int32_t{0})); }, FatalError::kOverflow},
        {[&] { Divide(absent, Operand(0.0)); }, FatalError::kOverflow},
        {[&] { Divide(Operand(1e308), Operand(1e-308)); }, FatalError::kOverflow},
        {[&] { Multiply(Operand(1e308), Operand(10.0)); }, FatalError::kOverflow},
        {[&] { Multiply(Operand(std::int32_t{100000}), Operand(std::int32_t{100000})); }, FatalError::kOverflow},
    };
    for (const auto& f : failures) EXPECT_EQ(FailureCode(f.action), f.code);

    // An absent factor counts as 0, and a product with a double is a double.
    EXPECT_EQ(std::get<double>(Multiply(absent, Operand(4500.0)).Get()), 0.0);
    EXPECT_EQ(std::get<std::int32_t>(Multiply(absent, one).Get()), 0);
    // One rounding per operation, in the given order: the worked example's 0143.
    const Operand scaled = Multiply(Operand(Divide(Multiply(Operand(0.92), Operand(0.9)), Operand(4500.0))),
                                    Operand(std::int32_t{100000000}));
    EXPECT_EQ(std::get<double>(scaled.Get()), 18400.000000000004);
}

TEST(PlainArithmetic, CheckReportsDivisionByZeroBeforeOverflowAndThenForgets) {
    PlainArithmetic plain;
    plain.Div(1, 0);
    EXPECT_EQ(FailureCode([&] { plain.ArithmeticCheck(); }), FatalError::kDivisionByZero);
    EXPECT_EQ(FailureCode([&] { plain.ArithmeticCheck(); }), 0);
    plain.Div(0, 0);
    EXPECT_EQ(FailureCode([&] { plain.ArithmeticCheck(); }), FatalError::kOverflow);
    plain.Mul(plain.Mul(1e308, 10), 60);
    EXPECT_EQ(FailureCode([&] { plain.ArithmeticCheck(); }), FatalError::kOverflow);
    plain.Mul(1e308, 10);
    plain.Div(5, 0);
    EXPECT_EQ(FailureCode([&] { plain.ArithmeticCheck(); }), FatalError::kDivisionByZero);
    EXPECT_EQ(plain.Add(plain.Mul(1, 60), 15), 75);
    EXPECT_EQ(FailureCode([&] { plain.ArithmeticCheck(); }), 0);
}

// Every text NumberText writes reads back as the double nearest to it.
TEST_P(BothSeparators, NumberTextReadsBackAsTheNearestDoubleOfItsDigits) {
    const char sep = GetParam();
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> everyday(-1e6, 1e6);
    const double maxRepresentable = 1.79769313486231e308;  // 15-digit texts above it overflow
    for (int i = 0; i < 200000; ++i) {
        double x;
        switch (i % 4) {
            case 0: {  // any bit pattern: subnormals and huge values included
                const std::uint64_t bits = random();
                std::memcpy(&x, &bits, sizeof x);
                break;
            }
            case 1:
                x = everyday(random);
                break;
            case 2:
                x = std::ldexp(static_cast<double>(random() % 1000000), -1074 + static_cast<int>(random() % 60));
                break;
            default:
                x = std::round(everyday(random) * 100) / 100;
                break;
        }
        if (!std::isfinite(x) || std::fabs(x) > maxRepresentable) continue;
        const std::string text = NumberText(x, sep);
        // The expectation comes from the C library's own formatting and parsing.
        char digits[40];
        std::snprintf(digits, sizeof digits, "%.14e", x);
        const double nearest = std::strtod(digits, nullptr);
        const double back = ToNumber(text, sep);
        ASSERT_EQ(back, nearest) << text << " from " << digits;
        ASSERT_EQ(NumberText(back, sep), text);
    }
}

// The same texts and doubles on every build, whichever conversions the
// standard library offers (to_chars/from_chars, or printf/strtod where it has
// none): a digest of NumberText and of ToNumber's bits over random doubles,
// taken from a build with std::to_chars. Only a deliberate change to the
// rules may change it.
TEST(NumberText, GivesTheSameTextsOnEveryBuild) {
    std::mt19937_64 random(1998);
    std::uint64_t digest = 14695981039346656037ULL;  // FNV-1a
    const auto mix = [&digest](std::uint64_t byte) { digest = (digest ^ (byte & 0xFF)) * 1099511628211ULL; };
    for (int i = 0; i < 100000; ++i) {
        double x;
        if (i % 2 == 0) {  // any bit pattern
            const std::uint64_t bits = random();
            std::memcpy(&x, &bits, sizeof x);
        } else {  // 53 random bits, scaled to about 1E-06 to 1E+15
            const auto mantissa = static_cast<double>(random() >> 11);
            x = std::ldexp(mantissa, static_cast<int>(random() % 70) - 73);
        }
        if (!std::isfinite(x) || std::fabs(x) > 1.79769313486231e308) continue;
        const std::string text = NumberText(x, ',');
        for (const char c : text) mix(static_cast<unsigned char>(c));
        const double back = ToNumber(text, ',');
        std::uint64_t bits;
        std::memcpy(&bits, &back, sizeof bits);
        for (int shift = 0; shift < 64; shift += 8) mix(bits >> shift);
    }
    EXPECT_EQ(digest, 0xb7cfb7e9ec3c8ee7ULL) << std::hex << digest;
}

}  // namespace
}  // namespace korvel
