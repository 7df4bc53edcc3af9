// SPDX-License-Identifier: GPL-3.0-or-later
// One calculation run as a pure function: from what the user typed to
// everything a front end shows of it. Front ends map their own inputs to
// RunInputs, show the outcome, write the report and do the closing step
// (calc/closing_step.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/fatal_error.h"
#include "calc/substances.h"

namespace korvel {

inline constexpr std::string_view kBrandMissingMessage = "Марка электрода не выбрана !!!";
inline constexpr std::string_view kTooManyDaysMessage = "Слишком много рабочих дней в году !!!";
inline constexpr std::string_view kTooFewDaysMessage = "Слишком мало рабочих дней в году !!!";
inline constexpr std::string_view kZeroDaysMessage = "Рабочих дней в году не может быть 0 !!!";

// What was typed and picked, each text exactly as entered.
struct RunInputs {
    bool perYearMode = false;       // the welding time is given per year, not per day
    std::string brand;              // empty while no brand is picked
    std::string yearlyConsumption;  // kg of electrodes a year
    std::string hours;              // daily welding time: hours,
    std::string minutes;            // minutes,
    std::string workingDays;        // and working days a year
    std::string sourceName;
    std::string hoursPerYear;  // the welding time in per-year mode
};

// What a run reads. The four numeric texts are normalised (NumberText of
// LeadingNumber of the typed text); the others are exactly as typed.
struct CalcInputs {
    std::string brand;
    std::string yearlyConsumption;
    std::string hours;
    std::string minutes;
    std::string workingDays;
    bool perYearMode = false;
    std::string hoursPerYear;
    std::string sourceName;
};

// What a run computes.
struct CalcResults {
    FactorRow factors{};
    double dailyConsumption = 0.0;                        // b, kg per day, two decimals
    std::string weldingSeconds;                           // t as text
    std::array<double, kSubstanceCount> maxEmission{};    // G, g/s, eight decimals
    std::array<double, kSubstanceCount> grossEmission{};  // M, t/year
    bool brandMissing = false;
    bool tooManyDays = false;
    bool tooFewDays = false;
    bool zeroDays = false;

    // The closing step's sum of the four validation flags.
    int FlagSum() const {
        return static_cast<int>(brandMissing) + static_cast<int>(tooManyDays) + static_cast<int>(tooFewDays) +
               static_cast<int>(zeroDays);
    }
};

// Everything a front end shows of one run, in the order it happened: the
// validation messages, then the two result texts the run got as far as
// writing, then the failure that stopped it, if any.
struct RunOutcome {
    std::vector<std::string_view> messages;
    std::optional<std::string> dailyConsumptionText;  // b as the result field shows it
    std::optional<std::string> weldingSecondsText;    // t as the result field shows it
    CalcInputs inputs;
    CalcResults results;
    // The run stopped here: no report, no closing step.
    std::optional<FatalError> failure;

    // A run that completed its arithmetic writes its report; its closing
    // step (CloseRun) follows.
    bool ReportDue() const { return !failure; }
};

// The whole run up to the report. Pure: it reads nothing but its arguments.
RunOutcome Calculate(const RunInputs& typed, char separator);

}  // namespace korvel
