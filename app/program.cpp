// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include <cstdlib>

#include "calc/regional.h"

namespace korvel {

Program::Program(const std::filesystem::path& reportPath)
    : Program(reportPath, DecimalSeparatorOf(NumericLocaleName([](const char* name) { return std::getenv(name); }))) {}

Program::Program(const std::filesystem::path& reportPath, char separator)
    : form(separator, reportPath), reportWindow(separator) {
    form.AttachRun(boxes, reportWindow);
}

void Program::Start() {
    form.LoadStep();
    form.show();
}

}  // namespace korvel
