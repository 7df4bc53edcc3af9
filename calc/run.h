// SPDX-License-Identifier: GPL-3.0-or-later
// One calculation run: reads the input window's texts, validates, computes the
// daily consumption b, the welding time t and G and M of the eight substances,
// then hands over to the report writer and the closing step.
//
// The run knows no widgets: it reads and writes field texts by name through
// FieldSource, shows its messages through RunFeedback, and its last two steps
// are supplied by the front end through RunSteps.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "calc/number_rules.h"
#include "calc/substances.h"

namespace korvel {

// The controls of the input window that a run reads or writes.
enum class Control { Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Combo1 };

inline constexpr std::string_view kBrandMissingMessage = "Марка электрода не выбрана !!!";
inline constexpr std::string_view kTooManyDaysMessage = "Слишком много рабочих дней в году !!!";
inline constexpr std::string_view kTooFewDaysMessage = "Слишком мало рабочих дней в году !!!";
inline constexpr std::string_view kZeroDaysMessage = "Рабочих дней в году не может быть 0 !!!";

class FieldSource {
public:
    virtual ~FieldSource() = default;
    // The value of Check1: 0 unticked (daily mode), 1 ticked (per-year mode).
    virtual int CheckValue() const = 0;
    virtual std::string Text(Control control) const = 0;
    virtual void SetText(Control control, std::string_view text) = 0;
};

class RunFeedback {
public:
    virtual ~RunFeedback() = default;
    // A validation message: modal, one OK button, the run goes on afterwards.
    virtual void ShowMessage(std::string_view message) = 0;
    // The error box of a failure that ended the run.
    virtual void ShowError(const FatalError& error) = 0;
};

// What a run reads. The four numeric texts are normalised (NumberText of
// LeadingNumber of the field text); the others are exactly as typed.
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

// The steps after the arithmetic, supplied by the front end. Either may throw
// FatalError (a report file that cannot be written), which ends the run.
class RunSteps {
public:
    virtual ~RunSteps() = default;
    virtual void WriteReport(const CalcInputs& inputs, const CalcResults& results) = 0;
    virtual void ClosingStep(const CalcInputs& inputs, const CalcResults& results) = 0;
};

struct Calculation {
    CalcInputs inputs;
    CalcResults results;
};

// Steps 1 to 16: everything up to the report. Throws FatalError at the failing
// step, after which nothing more of the run happens.
Calculation Calculate(FieldSource& fields, RunFeedback& feedback, char separator);

// The whole run. A FatalError ends the run, not the program: it is shown in
// the error box and returned; the fields keep what the run had written.
std::optional<FatalError> Run(FieldSource& fields, RunFeedback& feedback, RunSteps& steps, char separator);

}  // namespace korvel
