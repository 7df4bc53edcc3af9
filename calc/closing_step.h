// SPDX-License-Identifier: GPL-3.0-or-later
// The closing step of a calculation run, for every front end: what the two
// result fields read once the run is over, and whether its report is shown.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calc/run.h"

namespace korvel {

// What both result fields read after a run that wrote its report with a
// validation flag set.
inline constexpr std::string_view kFailedRunText = "Ошибка в исх. данных";

struct RunEnd {
    // The daily consumption field (Text5) and the welding time field (Text6)
    // after the run; none where the run did not get as far as writing it, so
    // that the field keeps its earlier text.
    std::optional<std::string> dailyConsumption;
    std::optional<std::string> weldingTime;
    // The run wrote its report with no flag set: the report is shown, and the
    // fields show b and t.
    bool showsReport = false;
    // The run wrote its report with a flag set: both fields read kFailedRunText.
    bool markedFailed = false;
};

// `reportWritten`: whether the front end wrote the run's report (or, like
// korvel-batch without reports, had none to write). A run that stopped with a
// failure, or whose report could not be written, has no closing step: the
// fields keep what the run wrote into them.
RunEnd CloseRun(const RunOutcome& outcome, bool reportWritten = true);

}  // namespace korvel
