// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/summary.h"

#include "calc/number_rules.h"
#include "report/csv.h"

namespace korvel::batch {

SummaryTable::SummaryTable(char separator, std::function<void(std::string_view)> sink)
    : separator_(separator), delimiter_(CsvDelimiter(separator)), sink_(std::move(sink)) {}

void SummaryTable::Field(std::string_view text) {
    if (lineStarted_) line_.push_back(delimiter_);
    lineStarted_ = true;
    AppendCsvField(line_, text, delimiter_);
}

void SummaryTable::EndLine() {
    line_ += "\r\n";
    sink_(line_);
    line_.clear();
    lineStarted_ = false;
}

void SummaryTable::Begin() {
    line_ = "\xEF\xBB\xBF";
    for (const std::string_view name : {"row", "source", "brand", "status", "Text5", "Text6"}) Field(name);
    for (const Substance& s : SubstanceCatalogue) {
        Field("G " + std::string(s.code));
        Field("M " + std::string(s.code));
    }
    EndLine();
}

void SummaryTable::AddRow(std::size_t row, const RunInputs& input, const StationOutcome& outcome) {
    Field(std::to_string(row));
    Field(input.sourceName);
    Field(input.brand);
    Field(outcome.status);
    Field(outcome.text5);
    Field(outcome.text6);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (outcome.results) {
            Field(NumberText(outcome.results->maxEmission[i], separator_));
            Field(NumberText(outcome.results->grossEmission[i], separator_));
            if (outcome.ok) totals_[i] += outcome.results->grossEmission[i];
        } else {
            Field("");
            Field("");
        }
    }
    EndLine();
}

void SummaryTable::Finish() {
    Field(kTotalsLabel);
    for (int i = 0; i < 5; ++i) Field("");
    for (const double total : totals_) {
        Field("");
        Field(NumberText(total, separator_));
    }
    EndLine();
}

}  // namespace korvel::batch
