// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/csv.h"

#include <cstdint>

namespace korvel {

namespace {

constexpr std::uint64_t Bit(char c) { return std::uint64_t{1} << static_cast<unsigned char>(c); }

bool NeedsQuotes(std::string_view text, char delimiter) {
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) return true;
    // The bytes that need quotes as a bit mask of the first 64: one test a
    // byte, which matters in a table of many short fields.
    const auto d = static_cast<unsigned char>(delimiter);
    const std::uint64_t special = Bit('"') | Bit('\n') | Bit('\r') | (d < 64 ? Bit(delimiter) : 0);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 64 ? (special >> u) & 1 : u == d) return true;
    }
    return false;
}

bool StartsFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text, char delimiter) {
    if (!NeedsQuotes(text, delimiter)) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendCsvText(std::string& out, std::string_view text, char delimiter) {
    if (!StartsFormula(text)) {
        AppendCsvField(out, text, delimiter);
        return;
    }
    std::string neutral = "'";
    neutral.append(text);
    AppendCsvField(out, neutral, delimiter);
}

}  // namespace korvel
