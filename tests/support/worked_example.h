// SPDX-License-Identifier: GPL-3.0-or-later
// The inputs of the worked example: the input window's default texts with the
// first brand picked. Shared by the tests and the benchmarks.
#pragma once

#include "calc/run.h"

namespace korvel::testing {

inline RunInputs WorkedExample(bool perYearMode = false) {
    return RunInputs{.perYearMode = perYearMode,
                     .brand = "УОНИ 13/45",
                     .yearlyConsumption = "330.00",
                     .hours = "1",
                     .minutes = "15",
                     .workingDays = "365",
                     .sourceName = "__________",
                     .hoursPerYear = "502"};
}

}  // namespace korvel::testing
