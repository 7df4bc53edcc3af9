// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/totals.h"

#include <optional>
#include <utility>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "sheets/csv.h"

namespace korvel {

namespace {

class CsvTotals : public TotalsTable {
public:
    explicit CsvTotals(char separator) : separator_(separator) {}

    void Heading(std::span<const TotalsColumn> columns) override {
        for (const TotalsColumn& column : columns) Text(column.heading);
        EndRow();
    }
    void Text(std::string_view text) override { Line().Text(text); }
    void Number(double value, Emission) override { Line().Number(NumberText(value, separator_)); }
    void EndRow() override {
        bytes_ += std::move(Line()).Finish();
        line_.reset();
    }

    std::string Bytes() && { return std::move(bytes_); }

private:
    CsvLine& Line() {
        if (!line_) line_.emplace(CsvDelimiter(separator_));
        return *line_;
    }

    char separator_;
    std::string bytes_ = "\xEF\xBB\xBF";
    std::optional<CsvLine> line_;
};

}  // namespace

std::vector<std::size_t> TotalsRows(const CalcResults& results) {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (results.grossEmission[i] != 0.0) rows.push_back(i);
    }
    return rows;
}

void LayOutTotals(const CalcInputs& inputs, const CalcResults& results, TotalsTable& table) {
    for (const auto& [label, value] :
         {std::pair{kTotalsSourceLabel, &inputs.sourceName}, {kTotalsBrandLabel, &inputs.brand}}) {
        table.Text(label);
        table.Text(*value);
        table.EndRow();
    }
    table.Heading(kTotalsColumns);
    for (const std::size_t i : TotalsRows(results)) {
        table.Text(SubstanceCatalogue[i].code);
        table.Text(SubstanceCatalogue[i].name);
        table.Number(results.maxEmission[i], TotalsTable::Emission::OneOff);
        table.Number(results.grossEmission[i], TotalsTable::Emission::Gross);
        table.EndRow();
    }
}

std::string TotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator) {
    CsvTotals csv(separator);
    LayOutTotals(inputs, results, csv);
    return std::move(csv).Bytes();
}

}  // namespace korvel
