// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

namespace korvel {

Program::Program(const std::filesystem::path& reportPath, char separator)
    : form(separator), reportWindow(separator), steps_(form, reportWindow, reportPath, separator) {}

void Program::Start(RunFeedback& feedback) {
    form.AttachRun(feedback, steps_);
    form.LoadStep();
    form.show();
}

}  // namespace korvel
