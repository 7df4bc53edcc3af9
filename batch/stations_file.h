// SPDX-License-Identifier: GPL-3.0-or-later
// The input file of a batch: one station a row, its columns found by name in
// the header, each row's fields taken as if typed into the input window.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "batch/csv_reader.h"
#include "calc/run.h"

namespace korvel::batch {

// One data row of the file.
struct StationRow {
    std::size_t number = 0;  // data records counted from 1, blank ones included
    std::size_t line = 0;    // the file line on which the record starts
    RunInputs typed;         // a row with hours per year is in per-year mode
};

// Reads the rows of a stations file in order. Every fault of the file (no
// such file, no required column, a record of the wrong length, text that is
// not UTF-8) throws BatchError with the file line and column.
class StationsFile {
public:
    explicit StationsFile(const std::filesystem::path& path);

    // The next row that is not blank; false at the end of the file.
    bool Next(StationRow& row);
    // Checks the next row that is not blank without taking its texts.
    bool Skip() { return NextRecord(); }
    // Data records read so far, blank ones included.
    std::size_t Records() const { return records_; }

    // How many columns the batch knows.
    static constexpr std::size_t kColumnCount = 7;

private:
    bool NextRecord();
    void MapColumns();
    void CheckFieldCount() const;
    [[noreturn]] void Fail(const CsvError& error) const;

    std::filesystem::path path_;
    std::ifstream in_;
    std::optional<CsvReader> reader_;
    CsvRecord record_;
    std::vector<std::string> headerNames_;  // every header field as written, for messages
    std::array<std::optional<std::size_t>, kColumnCount> position_;  // of each known column
    std::size_t records_ = 0;
};

// The first pass over a file, before anything is written: reads it whole and
// gives its number of data records. Throws as StationsFile does.
std::size_t CheckStations(const std::filesystem::path& path);

}  // namespace korvel::batch
