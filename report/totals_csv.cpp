// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/totals_csv.h"

#include <array>
#include <string_view>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "report/csv.h"

namespace korvel {

namespace {

void AppendRow(std::string& out, const std::array<std::string_view, 4>& fields, char delimiter) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) out += delimiter;
        AppendCsvField(out, fields[i], delimiter);
    }
    out += "\r\n";
}

}  // namespace

std::string TotalsCsv(const CalcResults& results, char separator) {
    const char delimiter = CsvDelimiter(separator);
    std::string out = "\xEF\xBB\xBF";
    AppendRow(out,
              {"Код вещества", "Наименование вещества", "Максимально разовый выброс, г/сек", "Валовый выброс, т/год"},
              delimiter);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (results.grossEmission[i] == 0.0) continue;
        const std::string g = NumberText(results.maxEmission[i], separator);
        const std::string m = NumberText(results.grossEmission[i], separator);
        AppendRow(out, {SubstanceCatalogue[i].code, SubstanceCatalogue[i].name, g, m}, delimiter);
    }
    return out;
}

}  // namespace korvel
