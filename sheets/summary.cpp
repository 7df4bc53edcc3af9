// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/summary.h"

#include <utility>

#include "calc/number_rules.h"
#include "korvel/version.h"
#include "sheets/csv.h"
#include "sheets/xlsx.h"

namespace korvel {

namespace {

constexpr std::size_t kLeadingColumns = 6;  // row to welding_time_s

class CsvTable : public Summary {
public:
    CsvTable(char separator, std::function<void(std::string_view)> sink)
        : separator_(separator), delimiter_(CsvDelimiter(separator)), sink_(std::move(sink)) {
        CsvLine header(delimiter_);
        for (const std::string& name : SummaryColumnNames()) header.Text(name);
        sink_("\xEF\xBB\xBF" + std::move(header).Finish());
    }

    std::string Prepare(const SummaryRow& row) const override {
        const StationOutcome& outcome = row.outcome;
        CsvLine line(delimiter_);
        line.Number(std::to_string(row.number)).Text(row.typed.sourceName).Text(row.typed.brand).Text(outcome.status);
        for (const std::string* field : {&outcome.dailyConsumption, &outcome.weldingTime}) {
            outcome.fieldsShowNumbers ? line.Number(*field) : line.Text(*field);
        }
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            line.Number(outcome.computed ? NumberText(outcome.results.maxEmission[i], separator_) : "");
            line.Number(outcome.computed ? NumberText(outcome.results.grossEmission[i], separator_) : "");
        }
        return std::move(line).Finish();
    }

private:
    void Write(const SummaryRow&, const std::string& prepared) override { sink_(prepared); }

    void WriteTotals() override {
        CsvLine line(delimiter_);
        line.Text(kTotalsLabel);
        for (std::size_t i = 1; i < kLeadingColumns; ++i) line.Number("");
        for (const double total : Totals()) line.Number("").Number(NumberText(total, separator_));
        sink_(std::move(line).Finish());
    }

    char separator_;
    char delimiter_;
    std::function<void(std::string_view)> sink_;
};

// b is a whole number of 0.01 kg.
constexpr int kDecimalsOfB = 2;

class XlsxTable : public Summary {
public:
    XlsxTable(const std::filesystem::path& path, std::string_view inputName, std::string_view program, char separator)
        : separator_(separator),
          sheet_(path, {"Сводка расчета выбросов: " + std::string(inputName), "Сводка", std::string(program),
                        KORVEL_VERSION_DISPLAY}) {
        const std::vector<std::string> names = SummaryColumnNames();
        std::vector<SheetColumn> columns;
        for (std::size_t i = 0; i < names.size(); ++i) {
            static constexpr std::array<double, kLeadingColumns> kWidths{7, 28, 14, 36, 21, 21};
            columns.push_back({names[i], i < kLeadingColumns ? kWidths[i] : 15.0});
        }
        sheet_.Header(columns);
    }

private:
    void Write(const SummaryRow& row, const std::string&) override {
        const StationOutcome& outcome = row.outcome;
        sheet_.Number(static_cast<double>(row.number), 0);
        sheet_.Text(row.typed.sourceName);
        sheet_.Text(row.typed.brand);
        sheet_.Text(outcome.status);
        ResultField(
            outcome.dailyConsumption, outcome.fieldsShowNumbers, [&] { return outcome.results.dailyConsumption; },
            kDecimalsOfB);
        ResultField(
            outcome.weldingTime, outcome.fieldsShowNumbers, [&] { return ToNumber(outcome.weldingTime, separator_); },
            kDecimalsAsWritten);
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            if (outcome.computed) {
                sheet_.Number(outcome.results.maxEmission[i], kDecimalsOfG);
                sheet_.Number(outcome.results.grossEmission[i], kDecimalsAsWritten);
            } else {
                sheet_.Empty();
                sheet_.Empty();
            }
        }
        sheet_.EndRow();
    }

    // A result field: its number, the failed-run text, or nothing.
    void ResultField(const std::string& text, bool number, const std::function<double()>& value, int decimals) {
        if (text.empty()) {
            sheet_.Empty();
        } else if (number) {
            sheet_.Number(value(), decimals);
        } else {
            sheet_.Text(text);
        }
    }

    void WriteTotals() override {
        sheet_.TotalsRow();
        sheet_.Text(kTotalsLabel);
        for (std::size_t i = 1; i < kLeadingColumns; ++i) sheet_.Empty();
        for (const double total : Totals()) {
            sheet_.Empty();
            sheet_.Number(total, kDecimalsAsWritten);
        }
        sheet_.EndRow();
    }

    // The rules, then the table, typed: numbers as numbers, codes as texts.
    void WriteSources(const PollutionSourceTable& sources) override {
        sheet_.AddSheet(std::string(kPollutionSourcesSheet));
        for (const std::string& rule : PollutionSourceRules()) {
            sheet_.Text(rule);
            sheet_.EndRow();
        }
        sheet_.EndRow();
        static constexpr std::array<double, 12> kWidths{16, 34, 7, 12, 46, 8, 46, 15, 17, 16, 15, 15};
        const std::vector<std::string_view> names = PollutionSourceColumns();
        std::vector<SheetColumn> columns;
        for (std::size_t i = 0; i < names.size(); ++i) columns.push_back({names[i], kWidths.at(i)});
        sheet_.Header(columns);
        for (const PollutionSourceRow& row : PollutionSourceRows(sources)) {
            if (row.totals) sheet_.TotalsRow();
            for (const PollutionSourceCell& cell : row.cells) SourcesCell(cell);
            sheet_.EndRow();
        }
    }

    void SourcesCell(const PollutionSourceCell& cell) {
        using Kind = PollutionSourceCell::Kind;
        switch (cell.kind) {
            case Kind::Empty: sheet_.Empty(); break;
            case Kind::Text: sheet_.Text(cell.text); break;
            case Kind::Count: sheet_.Number(cell.number, 0); break;
            case Kind::G: sheet_.Number(cell.number, kDecimalsOfG); break;
            case Kind::Amount: sheet_.Number(cell.number, kDecimalsAsWritten); break;
        }
    }

    void Close() override { sheet_.Close(); }

    char separator_;
    XlsxSheet sheet_;
};

}  // namespace

std::vector<std::string> SummaryColumnNames() {
    std::vector<std::string> names{"row", "source", "brand", "status", "daily_consumption_kg", "welding_time_s"};
    for (const Substance& s : SubstanceCatalogue) {
        names.push_back("G_" + std::string(s.code) + "_g_s");
        names.push_back("M_" + std::string(s.code) + "_t_year");
    }
    return names;
}

void AddToTotals(std::array<double, kSubstanceCount>& totals, const StationOutcome& outcome) {
    if (!outcome.ok) return;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) totals[i] += outcome.results.grossEmission[i];
}

void Summary::Add(const SummaryRow& row, const std::string& prepared) {
    AddToTotals(totals_, row.outcome);
    Write(row, prepared);
}

void Summary::Finish(const PollutionSourceTable* sources) {
    WriteTotals();
    if (sources) WriteSources(*sources);
    Close();
}

std::unique_ptr<Summary> CsvSummary(char separator, std::function<void(std::string_view)> sink) {
    return std::make_unique<CsvTable>(separator, std::move(sink));
}

std::unique_ptr<Summary> XlsxSummary(const std::filesystem::path& path, std::string_view inputName,
                                     std::string_view program, char separator) {
    return std::make_unique<XlsxTable>(path, inputName, program, separator);
}

}  // namespace korvel
