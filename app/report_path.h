// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window writes its report.
#pragma once

#include <filesystem>

namespace korvel {

// The one report file: "c:\korvel.htm" on Windows; elsewhere "korvel.htm" in
// the home folder ($HOME, or the password database when HOME is unset or
// empty; the current folder when neither names one).
std::filesystem::path ReportPath();

}  // namespace korvel
