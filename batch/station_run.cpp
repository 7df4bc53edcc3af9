// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/station_run.h"

#include <algorithm>
#include <array>
#include <vector>

#include "report/closing_step.h"

namespace korvel::batch {

namespace {

// The input window of one row: the fields the run reads and writes, and a
// record of the boxes it would have shown.
class RowWindow : public FieldSource, public RunFeedback {
public:
    explicit RowWindow(const StationRow& row) : perYear_(!row.hoursPerYear.empty()) {
        Set(Control::Text1, row.consumption);
        Set(Control::Text2, row.hours);
        Set(Control::Text3, row.minutes);
        Set(Control::Text4, row.days);
        Set(Control::Text7, row.source);
        Set(Control::Text8, row.hoursPerYear);
        Set(Control::Combo1, row.brand);
    }

    int CheckValue() const override { return perYear_ ? 1 : 0; }
    std::string Text(Control control) const override { return texts_[Index(control)]; }
    void SetText(Control control, std::string_view text) override { Set(control, text); }
    void ShowMessage(std::string_view message) override { shown.emplace_back(message); }
    void ShowError(const FatalError& error) override {
        shown.push_back("ошибка " + std::to_string(error.Code()) + ": " + error.Description());
    }

    std::vector<std::string> shown;

private:
    static std::size_t Index(Control control) { return static_cast<std::size_t>(control); }
    void Set(Control control, std::string_view text) { texts_[Index(control)].assign(text); }

    bool perYear_;
    std::array<std::string, 9> texts_;
};

class NoDisplay : public ReportDisplay {
public:
    void ShowReport(const std::filesystem::path&, const CalcInputs&, const CalcResults&) override {}
};

class RowSteps : public RunSteps {
public:
    RowSteps(RowWindow& window, const ReportWriter& writeReport, const std::filesystem::path& reportPath)
        : window_(window), writeReport_(writeReport), reportPath_(reportPath) {}

    void WriteReport(const CalcInputs& inputs, const CalcResults& results) override {
        if (writeReport_) writeReport_(inputs, results);
    }
    void ClosingStep(const CalcInputs& inputs, const CalcResults& results) override {
        NoDisplay display;
        korvel::ClosingStep(inputs, results, window_, display, reportPath_);
        completed = results;
    }

    std::optional<CalcResults> completed;

private:
    RowWindow& window_;
    const ReportWriter& writeReport_;
    const std::filesystem::path& reportPath_;
};

bool IsKnownBrand(std::string_view brand) {
    return std::any_of(BrandTable.begin(), BrandTable.end(), [&](const Brand& b) { return b.name == brand; });
}

}  // namespace

StationOutcome RunStation(const StationRow& row, char separator, const ReportWriter& writeReport,
                          const std::filesystem::path& reportPath) {
    StationOutcome outcome;
    if (!row.brand.empty() && !IsKnownBrand(row.brand)) {
        outcome.status = "марка электрода «" + row.brand + "» не из списка марок";
        return outcome;
    }

    RowWindow window(row);
    RowSteps steps(window, writeReport, reportPath);
    const std::optional<FatalError> error = Run(window, window, steps, separator);

    outcome.text5 = window.Text(Control::Text5);
    outcome.text6 = window.Text(Control::Text6);
    if (!error) outcome.results = std::move(steps.completed);
    outcome.ok = outcome.results && outcome.results->FlagSum() == 0;
    if (outcome.ok) {
        outcome.status = kStatusOk;
    } else {
        for (const std::string& text : window.shown) {
            if (!outcome.status.empty()) outcome.status += "; ";
            outcome.status += text;
        }
    }
    return outcome;
}

}  // namespace korvel::batch
