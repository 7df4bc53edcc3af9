// SPDX-License-Identifier: GPL-3.0-or-later
// The sheets of an XLSX workbook as records, for a stations table or a table
// of parameters: each cell's text as the sheet holds it (a number as its
// stored digits, with a full stop), rows by their number in the sheet, the
// first row that holds anything being the header.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/pollution_sources.h"
#include "sheets/stations_table.h"

namespace korvel {

// A sheet: its name, as its tab shows it, and its records.
struct WorkbookSheet {
    std::string name;
    std::unique_ptr<RecordSource> records;
};

// Sheet `position` (0 the first, in the order of the tabs), read whole;
// nothing when the workbook has no such sheet. Throws StationsError naming
// `name` when the bytes are not a workbook.
std::optional<WorkbookSheet> ReadWorkbookSheet(std::string_view bytes, std::string_view name, std::size_t position);

// The first sheet; a workbook without one is a StationsError too.
std::unique_ptr<RecordSource> XlsxRecords(std::string_view bytes, std::string_view name);

// The workbook is a whole inventory: its second sheet's header names
// pollution_source and not source.
bool HasParametersSheet(std::string_view bytes, std::string_view name);

// The parameters of the sources of pollution on that sheet (nothing when
// there is none), and how messages name it ("книга.xlsx, лист «Параметры
// ИЗА»"); read as ReadPollutionSourceRecords reads them. Throws StationsError.
struct WorkbookParameters {
    std::string name;
    std::vector<PollutionSourceParameters> lines;
};
std::optional<WorkbookParameters> ReadWorkbookParameters(std::string_view bytes, std::string_view name, bool strict,
                                                         char separator);

}  // namespace korvel
