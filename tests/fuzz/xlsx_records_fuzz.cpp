// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a workbook, and as the sheet of a workbook otherwise
// sound: the reader either gives the rows of a stations table (and the
// parameters of a second sheet) or reports bad input, and never crashes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sheets/stations_table.h"
#include "sheets/xlsx_records.h"
#include "support/workbook.h"

namespace {

void ReadAll(const std::string& bytes) {
    try {
        korvel::StationsTable table("f.xlsx", korvel::XlsxRecords(bytes, "f.xlsx"), ',');
        korvel::StationRow row;
        while (table.Next(row)) {
        }
        korvel::ReadWorkbookParameters(bytes, "f.xlsx", true, ',');
    } catch (const korvel::StationsError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadAll(bytes);
    ReadAll(korvel::testing::WorkbookOf(bytes, "<sst><si><t>source</t></si><si><t>brand</t></si></sst>"));
    return 0;
}
