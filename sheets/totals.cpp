// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/totals.h"

#include <utility>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "sheets/csv.h"

namespace korvel {

std::vector<std::size_t> TotalsRows(const CalcResults& results) {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (results.grossEmission[i] != 0.0) rows.push_back(i);
    }
    return rows;
}

std::string TotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator) {
    const char delimiter = CsvDelimiter(separator);
    std::string out = "\xEF\xBB\xBF";
    out += std::move(CsvLine(delimiter).Text(kTotalsSourceLabel).Text(inputs.sourceName)).Finish();
    out += std::move(CsvLine(delimiter).Text(kTotalsBrandLabel).Text(inputs.brand)).Finish();
    CsvLine heading(delimiter);
    for (const TotalsColumn& column : kTotalsColumns) heading.Text(column.heading);
    out += std::move(heading).Finish();
    for (const std::size_t i : TotalsRows(results)) {
        CsvLine row(delimiter);
        row.Text(SubstanceCatalogue[i].code).Text(SubstanceCatalogue[i].name);
        row.Number(NumberText(results.maxEmission[i], separator)).Number(NumberText(results.grossEmission[i], separator));
        out += std::move(row).Finish();
    }
    return out;
}

}  // namespace korvel
