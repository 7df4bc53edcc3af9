// SPDX-License-Identifier: GPL-3.0-or-later
// The totals workbook, written by a module of its own (korvel-xlsx.so) that
// the window loads at its first XLSX export: libxlsxwriter and the crypto
// library behind it are then not loaded at every start.
#pragma once

#include <filesystem>

#include "calc/run.h"

namespace korvel {

// The module's one entry point.
using WriteTotalsXlsxFunction = bool(const CalcInputs&, const CalcResults&, const char* file);
inline constexpr const char* kWriteTotalsXlsxSymbol = "korvel_write_totals_xlsx";

// The totals workbook at `file`; false when it could not be written or the
// module could not be loaded.
bool WriteTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const std::filesystem::path& file);

// Where the module is looked for: ../libexec/korvel beside the program's folder
// (/usr/bin/korvel: /usr/libexec/korvel), unless set here (tests set the build's).
void SetModuleFolder(const std::filesystem::path& folder);

}  // namespace korvel
