// SPDX-License-Identifier: GPL-3.0-or-later
// The report's totals table for a spreadsheet: the source name and the brand
// above it, a heading row, then code, name, G and M of every substance whose
// M is not 0, in catalogue order. One table for every export of it: the
// CSV and the workbook are laid out by one function, row by row.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>
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

// Where the table's cells go, row by row: a CSV or a workbook.
class TotalsTable {
public:
    enum class Emission { OneOff, Gross };  // G, whole 1e-8 g/s; M, as its 15-digit text has

    virtual ~TotalsTable() = default;
    virtual void Heading(std::span<const TotalsColumn> columns) = 0;
    virtual void Text(std::string_view text) = 0;
    virtual void Number(double value, Emission emission) = 0;
    virtual void EndRow() = 0;
};

// The table laid out on `table`: a row each for the source and the brand,
// the heading row right below them, then a row per substance.
void LayOutTotals(const CalcInputs& inputs, const CalcResults& results, TotalsTable& table);

// As CSV: UTF-8 with a byte-order mark, CR LF line ends, numbers written with
// `separator`, fields delimited by ';' when the separator is a comma, else by
// ','; a text that would start a formula gets a leading apostrophe.
std::string TotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator);

// As an XLSX workbook at `path` (library korvel_xlsx), signed by `program`
// `version`: texts as text cells, G and M as number cells, the heading bold
// and kept in view. Throws SheetError.
void TotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const std::filesystem::path& path,
                std::string_view program, std::string_view version);

}  // namespace korvel
