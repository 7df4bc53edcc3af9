// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows put together: the input window drives the run, whose
// report goes to the report file and, after a clean run, to the report window.
#pragma once

#include <filesystem>

#include "app/form1.h"
#include "platform/report_window_host.h"
#include "report/report_steps.h"

namespace korvel {

class Program {
public:
    Program(const std::filesystem::path& reportPath, char separator);

    // Wires the run's boxes, runs the load step and shows the input window.
    void Start(RunFeedback& feedback);

    Form1 form;
    ReportWindowHost reportWindow;

private:
    ReportSteps steps_;
};

}  // namespace korvel
