// SPDX-License-Identifier: GPL-3.0-or-later
// A streaming reader of CSV text in UTF-8: one record at a time, so memory
// stays flat however many rows the file has.
//
// Fields are separated by the delimiter, records by CR LF, LF or a lone CR.
// A field that starts with a double quote is quoted: it runs to the next
// single quote and may hold delimiters, line breaks and doubled quotes ("").
// A quote inside an unquoted field is taken literally.
#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvel {

// Bad input: where it is (the file line, and the 1-based field of the record
// when the fault lies in one field, else 0) and what is wrong.
class CsvError : public std::runtime_error {
public:
    CsvError(std::size_t line, std::size_t field, const std::string& message)
        : std::runtime_error(message), line_(line), field_(field) {}
    std::size_t Line() const noexcept { return line_; }
    std::size_t Field() const noexcept { return field_; }

private:
    std::size_t line_;
    std::size_t field_;
};

struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t line = 0;  // the file line on which the record starts, from 1

    // A line with nothing on it, or with delimiters only.
    bool IsBlank() const;
};

class CsvReader {
public:
    // Skips a UTF-8 byte-order mark at the start of the stream. Throws
    // CsvError for a UTF-16 or UTF-32 byte-order mark.
    explicit CsvReader(std::istream& in, char delimiter = ';');

    // Reads the header record and takes the delimiter from it: the one of
    // ';' and ',' that occurs more often outside quotes (';' on a tie).
    // Returns false when the input is empty.
    bool ReadHeader(CsvRecord& header);
    char Delimiter() const { return delimiter_; }

    // Reads the next record into `record` (its buffers are reused). Returns
    // false at the end of the input. Every field is checked to be valid
    // UTF-8; a fault throws CsvError.
    bool Next(CsvRecord& record);

private:
    int Get();  // the next byte, or -1 at the end
    int Peek();
    bool Fill();
    // Appends the bytes up to the next delimiter, line end or (unless it is
    // '\0') `quote`, and gives that byte, consumed; -1 at the end.
    int TakeUntil(std::string& field, char quote);
    // A field that starts with a quote; gives the byte after its closing quote.
    int QuotedField(std::string& field, std::size_t fieldLine, std::size_t count);

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t line_ = 1;
    char delimiter_ = ';';
};

}  // namespace korvel
