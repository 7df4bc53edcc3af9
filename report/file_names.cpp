// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/file_names.h"

namespace korvel {

namespace {

// Non-ASCII bytes (letters, "№") are kept; of ASCII only what needs no
// quoting in a shell and is allowed by every file system.
bool IsSafe(unsigned char c) {
    constexpr std::string_view punctuation = "-_.,()+";
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           punctuation.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string SafeFileStem(std::string_view source, std::size_t maxBytes) {
    std::string stem;
    stem.reserve(source.size());
    for (const char c : source) {
        const char safe = IsSafe(static_cast<unsigned char>(c)) ? c : '_';
        if (safe != '_' || stem.empty() || stem.back() != '_') stem.push_back(safe);
    }

    const auto trimmable = [](char c) { return c == '.' || c == '_'; };
    std::size_t begin = 0;
    while (begin < stem.size() && trimmable(stem[begin])) ++begin;
    stem.erase(0, begin);
    if (stem.size() > maxBytes) {
        std::size_t cut = maxBytes;
        while (cut > 0 && IsContinuationByte(stem[cut])) --cut;
        stem.resize(cut);
    }
    while (!stem.empty() && trimmable(stem.back())) stem.pop_back();
    return stem;
}

std::string ReportFileName(std::size_t row, std::size_t width, std::string_view source) {
    std::string number = std::to_string(row);
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    const std::string stem = SafeFileStem(source);
    return stem.empty() ? number + ".htm" : number + "-" + stem + ".htm";
}

std::size_t RowNumberWidth(std::size_t rowCount) {
    std::size_t width = 1;
    for (std::size_t n = rowCount; n >= 10; n /= 10) ++width;
    return width < 4 ? 4 : width;
}

}  // namespace korvel
