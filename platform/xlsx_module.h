// SPDX-License-Identifier: GPL-3.0-or-later
// The totals workbook, written by a module of its own (korvel-xlsx.so) that
// the window loads at its first XLSX export: libxlsxwriter and the crypto
// library behind it are then not loaded at every start.
#pragma once

#include <filesystem>

#include "calc/run.h"

namespace korvel {

// What writing the workbook gave: 0 when it is written, the system's error
// number (errno) of the file operation that failed, or one of these.
inline constexpr int kXlsxNotWritten = -1;    // the library failed, not the file system
inline constexpr int kXlsxModuleMissing = -2;  // the module could not be loaded

// The module's one entry point.
using WriteTotalsXlsxFunction = int(const CalcInputs&, const CalcResults&, const char* file);
inline constexpr const char* kWriteTotalsXlsxSymbol = "korvel_write_totals_xlsx";

// The totals workbook at `file`, by the module.
int WriteTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const std::filesystem::path& file);

// Where the module is looked for: ../libexec/korvel beside the program's folder
// (/usr/bin/korvel: /usr/libexec/korvel), unless set here (tests set the build's).
void SetModuleFolder(const std::filesystem::path& folder);

}  // namespace korvel
