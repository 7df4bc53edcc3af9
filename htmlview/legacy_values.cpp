// SPDX-License-Identifier: GPL-3.0-or-later
#include "htmlview/legacy_values.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace korvel::htmlview {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> LegacyFontSize(std::string_view value) {
    value = Trim(value);
    int sign = 0;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        sign = value.front() == '+' ? 1 : -1;
        value.remove_prefix(1);
    }
    int number = 0;
    std::size_t digits = 0;
    while (digits < value.size() && std::isdigit(static_cast<unsigned char>(value[digits])) && number < 100)
        number = number * 10 + (value[digits++] - '0');
    if (digits == 0) return std::nullopt;
    const int size = sign == 0 ? number : 3 + sign * number;
    return std::clamp(size, 1, 7);
}

std::vector<std::string> FamilyList(std::string_view value) {
    std::vector<std::string> families;
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        std::string_view name = Trim(value.substr(0, comma));
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        if (!name.empty()) families.emplace_back(name);
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return families;
}

std::string LegacyColour(std::string_view value) {
    value = Trim(value);
    const bool hex = value.size() > 1 && value.front() == '#' &&
                     std::all_of(value.begin() + 1, value.end(),
                                 [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
                     (value.size() == 4 || value.size() == 7);
    const bool name = !value.empty() && value.size() < 32 && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalpha(static_cast<unsigned char>(c));
    });
    return hex || name ? Lower(value) : std::string();
}

Align Alignment(std::string_view value) {
    const std::string lower = Lower(Trim(value));
    if (lower == "left") return Align::Left;
    if (lower == "right") return Align::Right;
    if (lower == "center" || lower == "middle") return Align::Center;
    if (lower == "justify") return Align::Justify;
    return Align::None;
}

int Pixels(std::optional<std::string_view> value, int fallback, int most) {
    if (!value) return fallback;
    const std::string v(Trim(*value));
    if (v.empty() || !std::isdigit(static_cast<unsigned char>(v.front()))) return fallback;
    return std::min(std::atoi(v.c_str()), most);
}

int Positive(std::optional<std::string_view> value, int most) {
    if (!value) return 0;
    const int n = std::atoi(std::string(Trim(*value)).c_str());
    return n > 0 ? std::min(n, most) : 0;
}

}  // namespace korvel::htmlview
