// SPDX-License-Identifier: GPL-3.0-or-later
// The one UTF-8 decoder of the program: well-formed means no overlong forms,
// no surrogates and nothing beyond U+10FFFF. constexpr, so that fixed texts
// can be converted by the compiler.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvel {

inline constexpr long kInvalidUtf8 = -1;

// Decodes the character at `pos` and advances `pos` past it. An ill-formed
// sequence gives kInvalidUtf8 and consumes its maximal well-formed start (at
// least one byte), so that each broken piece counts once.
constexpr long DecodeUtf8(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    long cp = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;  // no overlong forms
        if (lead == 0xED) hi = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
    } else {
        return kInvalidUtf8;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size()) return kInvalidUtf8;
        const auto c = static_cast<unsigned char>(s[pos]);
        if (c < (i == 0 ? lo : 0x80) || c > (i == 0 ? hi : 0xBF)) return kInvalidUtf8;
        cp = (cp << 6) | (c & 0x3F);
        ++pos;
    }
    return cp;
}

// The offset of the first byte of the first ill-formed sequence, or npos.
constexpr std::size_t FindInvalidUtf8(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        if (static_cast<unsigned char>(s[pos]) < 0x80) {  // ASCII runs are the common case
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        if (DecodeUtf8(s, pos) == kInvalidUtf8) return start;
    }
    return std::string_view::npos;
}

}  // namespace korvel
