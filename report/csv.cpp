// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/csv.h"

namespace korvel {

void AppendCsvField(std::string& out, std::string_view text, char delimiter) {
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    for (std::size_t i = 0; i < text.size() && !quote; ++i) {
        const char c = text[i];
        quote = c == delimiter || c == '"' || c == '\n' || c == '\r';
    }
    if (!quote) {
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

}  // namespace korvel
