// SPDX-License-Identifier: GPL-3.0-or-later
// The report's totals table for a spreadsheet: the source name and the brand
// above it, a heading row, then code, name, G and M of every substance whose
// M is not 0, in catalogue order. One table for every export of it.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "calc/run.h"

namespace korvel {

inline constexpr std::string_view kTotalsSourceLabel = "Источник выброса";
inline constexpr std::string_view kTotalsBrandLabel = "Марка электрода";

struct TotalsColumn {
    std::string_view heading;
    double width;  // in characters, for a workbook
};
inline constexpr std::array<TotalsColumn, 4> kTotalsColumns{{{"Код вещества", 14},
                                                             {"Наименование вещества", 48},
                                                             {"Максимально разовый выброс, г/сек", 34},
                                                             {"Валовый выброс, т/год", 22}}};

// The substances the table lists, by their place in the catalogue.
std::vector<std::size_t> TotalsRows(const CalcResults& results);

// As CSV: UTF-8 with a byte-order mark, CR LF line ends, numbers written with
// `separator`, fields delimited by ';' when the separator is a comma, else by
// ','; a text that would start a formula gets a leading apostrophe.
std::string TotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator);

}  // namespace korvel
