// SPDX-License-Identifier: GPL-3.0-or-later
// korvel-xlsx.so: the report window's totals as an XLSX workbook, loaded by
// the window at its first XLSX export (platform/xlsx_module.h).
#include <type_traits>

#include "korvel/version.h"
#include "platform/xlsx_module.h"
#include "sheets/totals.h"
#include "sheets/xlsx.h"

extern "C" __attribute__((visibility("default"))) int korvel_write_totals_xlsx(const korvel::CalcInputs& inputs,
                                                                               const korvel::CalcResults& results,
                                                                               const char* file) {
    static_assert(std::is_same_v<decltype(korvel_write_totals_xlsx), korvel::WriteTotalsXlsxFunction>);
    try {
        korvel::TotalsXlsx(inputs, results, file, "korvel", KORVEL_VERSION_DISPLAY);
        return 0;
    } catch (const korvel::SheetError& error) {
        return error.SystemError() != 0 ? error.SystemError() : korvel::kXlsxNotWritten;
    }
}
