// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation report: an HTML document restating the inputs, the factor
// table of the brand, every G and M as a worked formula, the totals and a
// footer, as the bytes of the report file.
#pragma once

#include <string>

#include "calc/run.h"

namespace korvel {

// The whole document in Windows-1251 with CR LF line ends, no byte-order mark
// and no charset declaration. The run's texts (source name, brand, yearly
// hours and the normalised numbers) go in unescaped, exactly as the run holds
// them; characters Windows-1251 cannot hold become "?". Numbers are written
// with PrintNumber and the given decimal separator. Pure: no file is touched.
std::string BuildReport(const CalcInputs& inputs, const CalcResults& results, char separator);

}  // namespace korvel
