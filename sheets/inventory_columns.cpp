// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory's table as shown: its columns, its cells' and totals' texts,
// and the names of its files.
#include <algorithm>

#include "calc/number_rules.h"
#include "report/file_names.h"
#include "sheets/inventory.h"
#include "sheets/stations_table.h"
#include "sheets/summary.h"

namespace korvel {

namespace {

struct InputColumn {
    std::string_view caption, width;
};

// In the order of kStationColumns.
constexpr std::array<InputColumn, kStationColumns.size()> kInputColumns{{
    {"Источник выброса", "long"},
    {"ИЗА", "code"},
    {"Марка электрода", "list"},
    {"Расход, кг/год", "number"},
    {"Часов в день", "number"},
    {"Минут", "number"},
    {"Рабочих дней", "number"},
    {"Часов в год", "number"},
}};

// The summary's columns from its status on: status, b, t, then G and M.
constexpr std::size_t kSummaryStatus = 3;

std::vector<InventoryColumn> MakeColumns() {
    const std::vector<std::string> names = SummaryColumnNames();
    std::vector<InventoryColumn> columns;
    for (std::size_t i = 0; i < kInputColumns.size(); ++i) {
        const std::string name(kStationColumns[i]);
        columns.push_back({std::string(kInputColumns[i].caption), name, name, ColumnKind::Input, {},
                           kInputColumns[i].width});
    }
    const std::string& b = names[kSummaryStatus + 1];
    const std::string& t = names[kSummaryStatus + 2];
    columns.push_back({"b, кг/сут", b, b, ColumnKind::Computed, {}, "result"});
    columns.push_back({"t, с", t, t, ColumnKind::Computed, {}, "result"});
    columns.push_back({"Состояние", names[kSummaryStatus], names[kSummaryStatus], ColumnKind::Status, {}, "status"});
    std::size_t next = kSummaryStatus + 3;
    for (const Substance& s : SubstanceCatalogue) {
        const std::string code(s.code), substance(s.name);
        columns.push_back({"G " + code, names[next++], substance + ": максимально разовый выброс, г/с", ColumnKind::G,
                           s.code, "emission"});
        columns.push_back({"M " + code, names[next++], substance + ": валовый выброс, т/год", ColumnKind::M, s.code,
                           "emission"});
    }
    return columns;
}

std::vector<InventoryColumn> MakeSourceColumns() {
    const std::vector<std::string> names = PollutionSourceParameterColumns();
    std::vector<InventoryColumn> columns{
        {"Наименование", names[1], "Наименование источника загрязнения", ColumnKind::Input, {}, "long"},
        {"N", names[2], "Число постов, работающих одновременно (не задано - все)", ColumnKind::Input, {}, "number"},
    };
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        const Substance& s = SubstanceCatalogue[i];
        columns.push_back({"η " + std::string(s.code) + ", %", names[3 + i],
                           std::string(s.name) + ": степень очистки газа, %", ColumnKind::Input, s.code, "number"});
    }
    columns.push_back({"Постов", "posts", "Постов, отнесенных к ИЗА", ColumnKind::Computed, {}, "number"});
    columns.push_back({"Состояние", "status", "status", ColumnKind::Status, {}, "status"});
    for (const Substance& s : SubstanceCatalogue) {
        const std::string code(s.code), substance(s.name);
        columns.push_back({"G " + code, "g_" + code + "_g_s", substance + ": максимально разовый выброс после очистки, г/с",
                           ColumnKind::G, s.code, "emission"});
        columns.push_back({"M " + code, "m_" + code + "_t_year", substance + ": валовый выброс после очистки, т/год",
                           ColumnKind::M, s.code, "emission"});
    }
    return columns;
}

}  // namespace

const std::vector<InventoryColumn>& PollutionSourceViewColumns() {
    static const std::vector<InventoryColumn> columns = MakeSourceColumns();
    return columns;
}

std::vector<std::string> PollutionSourcePrintCaptions() {
    return {"ИЗА", "Наименование", "Постов", "N", "Состояние", "Код", "Вещество", "G до очистки, г/с",
            "M до очистки, т/год", "η, %", "G, г/с", "M, т/год"};
}

const std::vector<InventoryColumn>& InventoryColumns() {
    static const std::vector<InventoryColumn> columns = MakeColumns();
    return columns;
}

InventoryFileNames FileNamesOf(std::string_view name) {
    std::string stem = SafeFileStem(name);
    if (stem.empty()) stem = "перечень";
    return {stem + ".csv",        "summary.csv", "summary.xlsx", stem + "-отчеты.zip", std::string(kPollutionSourcesFile),
            stem + ".xlsx"};
}

std::vector<std::string> Inventory::CellTexts(std::size_t row) const {
    const InventoryRow& target = rows_.at(row);
    std::vector<std::string> texts;
    texts.reserve(InventoryColumns().size());
    for (const auto field : kStationFields) texts.push_back(target.typed.*field);
    const StationOutcome& outcome = target.outcome;
    texts.insert(texts.end(), {outcome.dailyConsumption, outcome.weldingTime, outcome.status});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        texts.push_back(outcome.computed ? NumberText(outcome.results.maxEmission[i], separator_) : std::string());
        texts.push_back(outcome.computed ? NumberText(outcome.results.grossEmission[i], separator_) : std::string());
    }
    return texts;
}

std::vector<std::string> Inventory::TotalsTexts() const {
    std::vector<std::string> texts{std::string(kTotalsLabel)};
    std::size_t substance = 0;
    for (const InventoryColumn& column : InventoryColumns()) {
        texts.push_back(column.kind == ColumnKind::M ? NumberText(totals_[substance++], separator_) : std::string());
    }
    return texts;
}

PrintedTable Inventory::PrintedTotals(std::string_view name) const {
    PrintedTable printed{"Валовые выбросы предприятия «" + std::string(name) + "», т/год", {},
                         {{"Код", "Наименование вещества", "M, т/год"}}};
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        const Substance& s = SubstanceCatalogue[i];
        printed.rows.push_back({std::string(s.code), std::string(s.name), NumberText(totals_[i], separator_)});
    }
    return printed;
}

}  // namespace korvel
