// SPDX-License-Identifier: GPL-3.0-or-later
// How korvel writes CSV for spreadsheets: the delimiter that goes with the
// decimal separator, and fields that a spreadsheet reads as they are meant.
#pragma once

#include <string>
#include <utility>
#include <string_view>

namespace korvel {

// ';' between fields when the decimal separator is a comma, else ','.
constexpr char CsvDelimiter(char separator) { return separator == ',' ? ';' : ','; }

// A field as RFC 4180 writes it: quoted, with its quotes doubled, when it
// holds the delimiter, a quote, a line break, or blanks at either end.
// For numbers, which must stay numbers.
void AppendCsvField(std::string& out, std::string_view text, char delimiter);

// A text field that a spreadsheet must not take for a formula: one that
// starts with = + - @, a tab or a carriage return gets a leading apostrophe
// (the OWASP rule against CSV injection), then it is written as above.
void AppendCsvText(std::string& out, std::string_view text, char delimiter);

// One line of a table, its fields added left to right, ended by CR LF.
class CsvLine {
public:
    explicit CsvLine(char delimiter) : delimiter_(delimiter) { bytes_.reserve(256); }

    CsvLine& Text(std::string_view text) {
        Next();
        AppendCsvText(bytes_, text, delimiter_);
        return *this;
    }
    // A number as NumberText writes it with the decimal separator that goes
    // with the delimiter (CsvDelimiter), or nothing: it never needs quotes,
    // so it is taken as it is.
    CsvLine& Number(std::string_view text) {
        Next();
        bytes_.append(text);
        return *this;
    }
    std::string Finish() && { return std::move(bytes_) + "\r\n"; }

private:
    void Next() {
        if (started_) bytes_.push_back(delimiter_);
        started_ = true;
    }

    char delimiter_;
    bool started_ = false;
    std::string bytes_;
};

}  // namespace korvel
