// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 text to the Windows-1251 (Cyrillic ANSI) code page, one byte per
// character, as the report file is written. A character the code page cannot
// hold, and every ill-formed piece of UTF-8, becomes one "?".
//
// The conversion is constexpr so that the report's fixed texts are converted
// once, by the compiler (see Cp1251 below).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "report/utf8.h"

namespace korvel {

inline constexpr char kUnmappable = '?';

namespace windows1251_detail {

// Code points of the bytes 0x80..0xBF; 0 marks the one unassigned byte 0x98.
// 0xC0..0xFF are А..я (U+0410..U+044F) in order and need no table.
inline constexpr std::array<char16_t, 64> kUpperHalf{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

}  // namespace windows1251_detail

// The Windows-1251 byte of one code point, or kUnmappable.
constexpr char Windows1251Byte(long cp) {
    if (cp >= 0 && cp < 0x80) return static_cast<char>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(static_cast<unsigned char>(0xC0 + (cp - 0x0410)));
    if (cp > 0) {
        for (std::size_t i = 0; i < windows1251_detail::kUpperHalf.size(); ++i) {
            if (windows1251_detail::kUpperHalf[i] == cp) return static_cast<char>(static_cast<unsigned char>(0x80 + i));
        }
    }
    return kUnmappable;
}

// The converted length of `utf8`: the number of characters and broken pieces.
constexpr std::size_t Windows1251Length(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) DecodeUtf8(utf8, pos);
    return count;
}

// Converts into `out`, which must hold Windows1251Length(utf8) bytes; returns
// the end of what was written.
constexpr char* ConvertToWindows1251(std::string_view utf8, char* out) {
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80) {  // ASCII, by far the most common case
            *out++ = static_cast<char>(c);
            ++pos;
            continue;
        }
        *out++ = Windows1251Byte(DecodeUtf8(utf8, pos));
    }
    return out;
}

// The conversion of a run's text; never longer than the UTF-8 it comes from.
std::string ToWindows1251(std::string_view utf8);

// A fixed text converted at compile time: Cp1251<"Текст"> is a string_view of
// its Windows-1251 bytes, with no cost when the report is built.
template <std::size_t N>
struct Utf8Literal {
    char text[N]{};
    consteval Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
    }
    constexpr std::string_view View() const { return {text, N - 1}; }
};

namespace windows1251_detail {
template <Utf8Literal S>
struct Converted {
    static constexpr std::size_t kSize = Windows1251Length(S.View());
    static constexpr std::array<char, kSize + 1> kBytes = [] {
        std::array<char, kSize + 1> bytes{};
        ConvertToWindows1251(S.View(), bytes.data());
        return bytes;
    }();
};
}  // namespace windows1251_detail

template <Utf8Literal S>
inline constexpr std::string_view Cp1251{windows1251_detail::Converted<S>::kBytes.data(),
                                         windows1251_detail::Converted<S>::kSize};

}  // namespace korvel
