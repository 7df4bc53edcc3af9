// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows put together: the input window runs the calculation,
// shows its boxes through message boxes and a clean run's report in the
// report window.
#pragma once

#include <filesystem>

#include "gui/form1.h"
#include "gui/message_box_feedback.h"
#include "gui/report_window_host.h"

namespace korvel {

class Program {
public:
    // Numbers with the user's regional decimal separator, as main() starts it.
    explicit Program(const std::filesystem::path& reportPath);
    Program(const std::filesystem::path& reportPath, char separator);

    // Runs the load step and shows the input window.
    void Start();

    Form1 form;
    MessageBoxFeedback boxes{&form};
    ReportWindowHost reportWindow;
};

}  // namespace korvel
