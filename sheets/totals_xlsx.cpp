// SPDX-License-Identifier: GPL-3.0-or-later
// The totals table as a workbook: the layout of totals.cpp on an XlsxSheet.
#include <string>
#include <vector>

#include "sheets/totals.h"
#include "sheets/xlsx.h"

namespace korvel {

namespace {

class XlsxTotals : public TotalsTable {
public:
    explicit XlsxTotals(XlsxSheet& sheet) : sheet_(sheet) {}

    void Heading(std::span<const TotalsColumn> columns) override {
        std::vector<SheetColumn> sheetColumns;
        for (const TotalsColumn& c : columns) sheetColumns.push_back({c.heading, c.width});
        sheet_.Header(sheetColumns);
    }
    void Text(std::string_view text) override { sheet_.Text(text); }
    void Number(double value, Emission emission) override {
        sheet_.Number(value, emission == Emission::OneOff ? kDecimalsOfG : kDecimalsAsWritten);
    }
    void EndRow() override { sheet_.EndRow(); }

private:
    XlsxSheet& sheet_;
};

}  // namespace

void TotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const std::filesystem::path& path,
                std::string_view program, std::string_view version) {
    XlsxSheet sheet(path, {"Итого по источнику: " + inputs.sourceName, "Итоги", std::string(program),
                           std::string(version)});
    XlsxTotals table(sheet);
    LayOutTotals(inputs, results, table);
    sheet.Close();
}

}  // namespace korvel
