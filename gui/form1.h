// SPDX-License-Identifier: GPL-3.0-or-later
// The input window: one fixed-size window whose fields are what a
// calculation run takes, and which shows the run's boxes, results and report.
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include "calc/run.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvel {

class ReportDisplay;  // gui/report_window_host.h
class RunFeedback;    // gui/message_box_feedback.h
struct RunEnd;

namespace form1 {
struct ControlLayout;  // one row of the window's layout table
}

class Form1 : public QWidget {
    Q_OBJECT
public:
    // separator: the regional decimal separator the run writes numbers with;
    // reportPath: the report file every run that completes its arithmetic
    // replaces.
    Form1(char separator, std::filesystem::path reportPath, QWidget* parent = nullptr);

    // Where a click on Command1 shows its boxes and its report. Until both are
    // attached the button does nothing.
    void AttachRun(RunFeedback& feedback, ReportDisplay& display);

    // Once, before the window is first shown: centre on the screen, then
    // fill the brand list.
    void LoadStep();

    // What the fields hold, as the calculation takes it.
    RunInputs Inputs() const;

    // The font of the window and its controls: Liberation Sans, at the size
    // of `base` when every caption fits its fixed box, else at 8 points.
    static QFont DialogFont(const QFont& base);
    // Whether every caption, laid out in `font`, fits inside its fixed box.
    static bool CaptionsFit(const QFont& font);

private:
    void BuildLayout();
    QWidget* CreateControl(const form1::ControlLayout& c);
    QWidget* CreateField(const form1::ControlLayout& c);
    void SetTabOrder(std::vector<std::pair<int, QWidget*>> tabOrder);
    QWidget* Control(std::string_view name) const;
    int CheckValue() const;
    void ModeSwitch();
    void StartRun();
    void ShowOutcome(const RunOutcome& outcome);
    void ShowResults(const std::optional<std::string>& dailyConsumption, const std::optional<std::string>& weldingTime);
    void ClosingStep(const RunOutcome& outcome, const RunEnd& end);
    QLineEdit* Field(int number) const { return fields_.at(static_cast<std::size_t>(number - 1)); }

    char separator_;
    std::filesystem::path reportPath_;
    RunFeedback* feedback_ = nullptr;
    ReportDisplay* display_ = nullptr;
    std::array<QLineEdit*, 8> fields_{};  // Text1 to Text8
    QComboBox* combo1_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QPushButton* command1_ = nullptr;
};

}  // namespace korvel
