// SPDX-License-Identifier: GPL-3.0-or-later
// The first sheet of an XLSX workbook as records, for a stations table: each
// cell's text as the sheet holds it (a number as its stored digits, with a
// full stop), rows by their number in the sheet, the first row that holds
// anything being the header.
#pragma once

#include <memory>
#include <string_view>

#include "sheets/stations_table.h"

namespace korvel {

// Reads the workbook whole. Throws StationsError naming `name` when the bytes
// are not a workbook with a sheet.
std::unique_ptr<RecordSource> XlsxRecords(std::string_view bytes, std::string_view name);

}  // namespace korvel
