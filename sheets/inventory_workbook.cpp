// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/inventory_workbook.h"

#include <algorithm>
#include <array>

#include "korvel/version.h"
#include "sheets/stations_table.h"
#include "sheets/xlsx.h"

namespace korvel {

namespace {

// The widths of the posts' columns (kStationColumns) and of the parameters'
// first three; η takes the last.
constexpr std::array<double, kStationColumns.size()> kPostWidths{28, 16, 14, 13, 8, 9, 7, 15};
constexpr std::array<double, 4> kParameterWidths{16, 34, 13, 15};
// Texts before it (source, pollution_source, brand), numbers from it on;
// the last, hours per year, read with the separator in use.
constexpr std::size_t kFirstNumber = 3;
static_assert(kStationColumns[kFirstNumber] == "consumption" && kStationColumns.back() == "hours_per_year");

// A typed text as the cell that reads back as it: numbers where the reader
// gives back the same digits with `point`, texts otherwise.
void TypedCell(XlsxSheet& sheet, const std::string& text, char point) {
    if (text.empty()) {
        sheet.Empty();
    } else if (const std::optional<ExactNumber> number = ExactNumberOf(text, point)) {
        sheet.Number(number->value, number->decimals);
    } else {
        sheet.Text(text);
    }
}

void Header(XlsxSheet& sheet, const auto& names, const auto& widths) {
    std::vector<SheetColumn> columns;
    for (std::size_t i = 0; i < names.size(); ++i) {
        columns.push_back({names[i], widths[std::min(i, widths.size() - 1)]});
    }
    sheet.Header(columns);
}

// The posts' numbers are read with a full stop, hours per year with the separator in use.
void Posts(XlsxSheet& sheet, std::size_t rows, const std::function<const StationInputs&(std::size_t)>& row,
           char separator) {
    Header(sheet, kStationColumns, kPostWidths);
    for (std::size_t i = 0; i < rows; ++i) {
        const StationInputs& typed = row(i);
        bool blank = true;
        for (std::size_t c = 0; c < kStationColumns.size(); ++c) {
            const std::string& text = typed.*kStationFields[c];
            blank = blank && text.empty();
            if (c < kFirstNumber) {
                text.empty() ? sheet.Empty() : sheet.Text(text);
            } else {
                TypedCell(sheet, text, c + 1 == kStationColumns.size() ? separator : '.');
            }
        }
        if (blank) sheet.KeepRow();
        sheet.EndRow();
    }
}

// N is read as a whole number, η with either separator: written with the one in use.
void Parameters(XlsxSheet& sheet, const std::vector<PollutionSourceParameters>& parameters, char separator) {
    Header(sheet, PollutionSourceParameterColumns(), kParameterWidths);
    for (const PollutionSourceParameters& typed : parameters) {
        typed.number.empty() ? sheet.Empty() : sheet.Text(typed.number);
        typed.name.empty() ? sheet.Empty() : sheet.Text(typed.name);
        TypedCell(sheet, typed.simultaneous, '.');
        for (const std::string& eta : typed.cleaning) TypedCell(sheet, eta, separator);
        sheet.EndRow();
    }
}

}  // namespace

void WriteInventoryWorkbook(const std::filesystem::path& path, const std::string& title, std::string_view program,
                            std::size_t rows, const std::function<const StationInputs&(std::size_t)>& row,
                            const std::vector<PollutionSourceParameters>& parameters, char separator) {
    XlsxSheet sheet(path, {title, std::string(kPostsSheet), std::string(program), KORVEL_VERSION_DISPLAY});
    Posts(sheet, rows, row, separator);
    sheet.AddSheet(std::string(kParametersSheet));
    Parameters(sheet, parameters, separator);
    sheet.Close();
}

}  // namespace korvel
