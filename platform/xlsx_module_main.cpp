// SPDX-License-Identifier: GPL-3.0-or-later
// korvel-xlsx.so: the report window's totals as an XLSX workbook, loaded by
// the window at its first XLSX export (platform/xlsx_module.h).
#include <algorithm>
#include <array>
#include <filesystem>
#include <type_traits>
#include <utility>

#include "calc/substances.h"
#include "korvel/version.h"
#include "platform/xlsx_module.h"
#include "sheets/totals.h"
#include "sheets/xlsx.h"

namespace korvel {

namespace {

// The totals workbook at `file`; false when it could not be written.
bool WriteWorkbook(const CalcInputs& inputs, const CalcResults& results, const std::filesystem::path& file) {
    try {
        XlsxSheet sheet(file, {"Итого по источнику: " + inputs.sourceName, "Итоги", "korvel", KORVEL_VERSION_DISPLAY});
        for (const auto& [label, value] :
             {std::pair{kTotalsSourceLabel, &inputs.sourceName}, {kTotalsBrandLabel, &inputs.brand}}) {
            sheet.Text(label);
            sheet.Text(*value);
            sheet.EndRow();
        }
        sheet.EndRow();
        std::array<SheetColumn, kTotalsColumns.size()> columns;
        std::transform(kTotalsColumns.begin(), kTotalsColumns.end(), columns.begin(), [](const TotalsColumn& c) {
            return SheetColumn{c.heading, c.width};
        });
        sheet.Header(columns);
        for (const std::size_t i : TotalsRows(results)) {
            sheet.Text(SubstanceCatalogue[i].code);
            sheet.Text(SubstanceCatalogue[i].name);
            sheet.Number(results.maxEmission[i], kDecimalsOfG);
            sheet.Number(results.grossEmission[i], kDecimalsAsWritten);
            sheet.EndRow();
        }
        sheet.Close();
        return true;
    } catch (const SheetError&) {
        return false;
    }
}

}  // namespace

}  // namespace korvel

extern "C" __attribute__((visibility("default"))) bool korvel_write_totals_xlsx(const korvel::CalcInputs& inputs,
                                                                                const korvel::CalcResults& results,
                                                                                const char* file) {
    static_assert(std::is_same_v<decltype(korvel_write_totals_xlsx), korvel::WriteTotalsXlsxFunction>);
    return korvel::WriteWorkbook(inputs, results, file);
}
