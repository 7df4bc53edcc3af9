// SPDX-License-Identifier: GPL-3.0-or-later
// A table of stations, one a row, as korvel-batch reads it: its columns found
// by name in the header, each row's fields taken as if typed into the input
// window. From a CSV file, or from any source of records (the page's imports).
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/csv_reader.h"
#include "sheets/station_run.h"

namespace korvel {

// Bad input, with where it is (the file, its line and column) in the message.
class StationsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What every table read from a file shares: a header name as it is matched
// (blanks around it dropped, ASCII in lower case); a place in messages, "in.csv,
// строка файла 3, столбец 1 (source)", the header name when `names` has it;
// a file opened for reading, or StationsError.
std::string ColumnKey(std::string_view text);
std::string InputPlace(std::string_view name, std::size_t line, std::size_t field,
                       const std::vector<std::string>& names);
std::ifstream OpenInput(const std::filesystem::path& path);
// The header fields that hold each of `columns`, or StationsError naming a
// column written twice or a required one missing (`hint` says what is needed).
std::vector<std::optional<std::size_t>> FindColumns(const CsvRecord& header, std::string_view name,
                                                    std::span<const std::string_view> columns,
                                                    const std::function<bool(std::size_t)>& required,
                                                    std::string_view hint);
// A record with as many fields as the header, or StationsError.
void CheckRecordLength(const CsvRecord& record, std::size_t headerFields, std::string_view name);
// A CSV fault as StationsError, with its place.
[[noreturn]] void ThrowCsvFault(const CsvError& error, std::string_view name, const std::vector<std::string>& names);

// Where a table's records come from.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The header record; false for an empty input. Throws CsvError.
    virtual bool Header(CsvRecord& header) = 0;
    // The next record (blank ones included); false at the end. Throws CsvError.
    virtual bool Next(CsvRecord& record) = 0;
    // Field `i` of the last record was a workbook's number cell, whose text
    // has a full stop as decimal point whatever the separator.
    virtual bool NumberCell(std::size_t /*i*/) const { return false; }
};

// CSV text (see CsvReader) from `in`, which must outlive the source.
std::unique_ptr<RecordSource> CsvRecords(std::istream& in);

// The columns a table knows, by their header names, in this order.
inline constexpr std::array<std::string_view, 8> kStationColumns{
    "source", "pollution_source", "brand", "consumption", "hours", "minutes", "days", "hours_per_year"};
// The column that assigns a post to its source of air pollution.
inline constexpr std::size_t kPollutionSourceColumn = 1;
static_assert(kStationColumns[kPollutionSourceColumn] == "pollution_source");

// One data row of the table.
struct StationRow {
    std::size_t number = 0;  // data records counted from 1, blank ones included
    std::size_t line = 0;    // the file line on which the record starts
    StationInputs typed;     // a row with hours per year is in per-year mode
};

// Where each column's text goes, in the order of kStationColumns.
inline constexpr std::array<std::string StationInputs::*, kStationColumns.size()> kStationFields{
    &StationInputs::sourceName, &StationInputs::pollutionSource, &StationInputs::brand,
    &StationInputs::yearlyConsumption, &StationInputs::hours, &StationInputs::minutes,
    &StationInputs::workingDays, &StationInputs::hoursPerYear};

// Puts `text` into the row's field of `column` (of kStationColumns); a row
// with hours per year is in per-year mode.
void SetStationField(StationInputs& typed, std::size_t column, std::string text);

// Reads a workbook's bytes whole as records, or throws StationsError naming
// the file `name` (XlsxRecords).
using WorkbookReader = std::function<std::unique_ptr<RecordSource>(std::string_view bytes, std::string_view name)>;

// The bytes start as a ZIP archive does, as every XLSX workbook does.
bool LooksLikeZip(std::string_view bytes);

// Reads the rows of a table in order. Every fault (no such file, no required
// column, a record of the wrong length, text that is not UTF-8) throws
// StationsError with the file line and column.
class StationsTable {
public:
    // A CSV file; or, given `workbook`, a file that starts as a ZIP archive is
    // read with it, and a number cell of hours per year written with `separator`.
    explicit StationsTable(const std::filesystem::path& path, const WorkbookReader& workbook = {},
                           char separator = '.');
    // Records from `source`, named `name` in messages. A number cell in the
    // hours-per-year column is written with `separator`, as if typed.
    StationsTable(std::string name, std::unique_ptr<RecordSource> source, char separator);

    // The next row that is not blank; false at the end of the input.
    bool Next(StationRow& row);
    // Checks the next row that is not blank without taking its texts.
    bool Skip() { return NextRecord(); }
    // The text of column `column` (of kStationColumns) in the row Skip
    // checked last; empty when the input has no such column.
    std::string_view SkippedText(std::size_t column) const {
        return position_.at(column) ? std::string_view(record_.fields[*position_[column]]) : std::string_view();
    }
    // Data records read so far, blank ones included.
    std::size_t Records() const { return records_; }
    // Where a cell of `row` (its column of kStationColumns) stands in the file,
    // as messages name it: "in.csv, строка файла 3, столбец 2 (brand)".
    std::string Place(const StationRow& row, std::size_t column) const;

private:
    void ReadHeader();
    bool NextRecord();
    void MapColumns();
    void CheckFieldCount() const;
    [[noreturn]] void Fail(const CsvError& error) const;

    std::string name_;   // in messages that give a place: the file name
    std::string label_;  // in messages about the whole input: the path
    std::optional<std::ifstream> file_;
    std::unique_ptr<RecordSource> source_;
    char separator_ = '.';
    CsvRecord record_;
    std::vector<std::string> headerNames_;  // every header field as written, for messages
    std::vector<std::optional<std::size_t>> position_;  // of each known column
    std::size_t records_ = 0;
};

// The first pass over a file, before anything is written: reads it whole and
// gives its number of data records. Throws as StationsTable does.
std::size_t CheckStations(const std::filesystem::path& path, const WorkbookReader& workbook = {});

// The rows as korvel-batch reads them back: a header of every column, then
// one line per row, each text as it is (quoted as RFC 4180 asks), so that a
// row reads back exactly as typed. UTF-8 with a byte-order mark, CR LF, the
// delimiter that goes with `separator`; a row with no text is a line of
// delimiters, which keeps the numbering of the rows after it.
std::string StationsCsv(std::size_t count, const std::function<const StationInputs&(std::size_t)>& row,
                        char separator);

}  // namespace korvel
