// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/csv.h"

namespace korvel {

namespace {

bool NeedsQuotes(std::string_view text, char delimiter) {
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) return true;
    for (const char c : text) {
        if (c == delimiter || c == '"' || c == '\n' || c == '\r') return true;
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
