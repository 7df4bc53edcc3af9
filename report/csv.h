// SPDX-License-Identifier: GPL-3.0-or-later
// Tables for spreadsheets: how korvel writes a CSV field and which delimiter
// goes with the decimal separator.
#pragma once

#include <string>
#include <string_view>

namespace korvel {

// ';' between fields when the decimal separator is a comma, else ','.
constexpr char CsvDelimiter(char separator) { return separator == ',' ? ';' : ','; }

// A field as RFC 4180 writes it: quoted, with its quotes doubled, when it
// holds the delimiter, a quote, a line break, or blanks at either end.
void AppendCsvField(std::string& out, std::string_view text, char delimiter);

}  // namespace korvel
