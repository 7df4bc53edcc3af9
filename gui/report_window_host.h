// SPDX-License-Identifier: GPL-3.0-or-later
// The report window as the closing step sees it: created on the first clean
// run, reused while it is open, created anew after the user has closed it.
#pragma once

#include <QPointer>

#include <filesystem>

#include "calc/run.h"
#include "gui/form2.h"

namespace korvel {

// Where a clean run's report is shown: the report window, or a recording
// double in tests.
class ReportDisplay {
public:
    virtual ~ReportDisplay() = default;
    // Called after the report file has been written and closed. The results
    // are those the file was written from.
    virtual void ShowReport(const std::filesystem::path& reportPath, const CalcInputs& inputs,
                            const CalcResults& results) = 0;
};

class ReportWindowHost : public ReportDisplay {
public:
    // separator: the regional decimal separator, for the totals export.
    explicit ReportWindowHost(char separator) : separator_(separator) {}
    ~ReportWindowHost() override;

    ReportWindowHost(const ReportWindowHost&) = delete;
    ReportWindowHost& operator=(const ReportWindowHost&) = delete;

    // Creates Form2 centred if it does not exist, shows it modeless with no
    // owner (or raises and activates the shown one where the user left it),
    // then loads the report.
    void ShowReport(const std::filesystem::path& reportPath, const CalcInputs& inputs,
                    const CalcResults& results) override;

    // The open report window, or null.
    Form2* Window() const { return form2_; }

private:
    char separator_;
    QPointer<Form2> form2_;
};

}  // namespace korvel
