// SPDX-License-Identifier: GPL-3.0-or-later
// The report's totals table as CSV for a spreadsheet.
#pragma once

#include <string>

#include "calc/run.h"

namespace korvel {

// A heading row, then code, name, G and M of every substance whose M is not
// 0, in catalogue order. Numbers are written with `separator`; fields are
// delimited by ';' when the separator is a comma, else by ','. UTF-8 with a
// byte-order mark, CR LF line ends.
std::string TotalsCsv(const CalcResults& results, char separator);

}  // namespace korvel
