// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/windows1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "report/utf8.h"

namespace korvel {
namespace {

static_assert(Cp1251<"Аа Яя Ёё"> == "\xC0\xE0 \xDF\xFF \xA8\xB8");
static_assert(Cp1251<"x х"> == "x \xF5");

std::string Utf8Of(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

// The C library's own code-page converter is the reference: every character
// it maps must come out as the same byte, every other one as "?".
TEST(Windows1251, AgreesWithTheSystemConverterOnEveryCharacter) {
    iconv_t cd = iconv_open("CP1251", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no CP1251 converter installed";
    int mapped = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; cp = cp < 0x3000 ? cp + 1 : cp + 0x101) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string in = Utf8Of(cp);
        char out[8];
        char* inPtr = in.data();
        char* outPtr = out;
        std::size_t inLeft = in.size(), outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        const std::string expected = ok ? std::string(out, outPtr) : std::string("?");
        ASSERT_EQ(ToWindows1251(in), expected) << "U+" << std::hex << static_cast<unsigned>(cp);
        mapped += ok && cp >= 0x80;
    }
    iconv_close(cd);
    EXPECT_EQ(mapped, 127);  // the upper half less its one unassigned byte
}

TEST(Windows1251, EachBrokenPieceOfUtf8BecomesOneQuestionMark) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"\xFF", "?"},
        {"a\x80z", "a?z"},             // stray continuation byte
        {"\xC0\xAF", "??"},            // overlong "/"
        {"\xE0\x80\xAF", "???"},       // overlong, three bytes
        {"\xED\xA0\x80", "???"},       // a surrogate
        {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
        {"\xD0", "?"},                 // cut off at the end
        {"\xE2\x82"
         "A",
         "?A"},                       // cut off before ASCII: the ASCII survives
        {"\xD0\xD0\x90", "?\xC0"},    // cut off before a whole letter: the letter survives
        {"\xF0\x9F\x98\x80!", "?!"},  // a valid character outside the code page
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ToWindows1251(c.in), c.out) << c.in;
}

TEST(Utf8, FindsTheFirstIllFormedSequenceAndAcceptsEveryWellFormedOne) {
    // One character of each length, at the edges of the ranges.
    for (const std::string_view text : {"\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                                        "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "Сварочный пост №1"}) {
        EXPECT_EQ(FindInvalidUtf8(text), std::string_view::npos) << text;
    }
    EXPECT_EQ(FindInvalidUtf8("ok \x80"), 3u);
    EXPECT_EQ(FindInvalidUtf8("\xE0\x80\x80"), 0u);  // overlong
}

}  // namespace
}  // namespace korvel
