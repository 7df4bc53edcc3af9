// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/run.h"

#include <utility>

#include "calc/number_rules.h"

namespace korvel {

namespace {

// The run's steps in order. Every failure is a FatalError thrown by a rule,
// which ends the run where it happens.
class Run {
public:
    Run(const RunInputs& typed, char separator) : typed_(typed), separator_(separator) {}

    RunOutcome Outcome() && {
        try {
            AllSteps();
        } catch (const FatalError& error) {
            outcome_.failure = error;
        }
        return std::move(outcome_);
    }

private:
    void AllSteps() {
        if (typed_.perYearMode) YearlyWeldingTime();
        PickBrand();
        TakeTexts();
        Normalise();
        CheckWorkingDays();
        DailyConsumption();
        outcome_.dailyConsumptionText = NumberText(out().dailyConsumption, separator_);
        if (!typed_.perYearMode) DailyWeldingTime();
        outcome_.weldingSecondsText = out().weldingSeconds;
        GrossEmissions();
        MaxEmissions();
    }

    CalcInputs& in() { return outcome_.inputs; }
    CalcResults& out() { return outcome_.results; }

    void Message(std::string_view message, bool& flag) {
        outcome_.messages.push_back(message);
        flag = true;
    }

    // Per-year mode: the welding time comes from the yearly hours, and the
    // daily texts all read "1".
    void YearlyWeldingTime() {
        in().perYearMode = true;
        in().hoursPerYear = typed_.hoursPerYear;
        const double t = plain_.Mul(plain_.Mul(ToNumber(in().hoursPerYear, separator_), 60.0), 60.0);
        plain_.ArithmeticCheck();
        out().weldingSeconds = NumberText(t, separator_);
        in().workingDays = in().hours = in().minutes = NumberText(std::int64_t{1});
    }

    void PickBrand() {
        in().brand = typed_.brand;
        if (in().brand.empty()) Message(kBrandMissingMessage, out().brandMissing);
        out().factors = LookupBrand(in().brand);
    }

    void TakeTexts() {
        in().yearlyConsumption = typed_.yearlyConsumption;
        if (!typed_.perYearMode) {
            in().hours = typed_.hours;
            in().minutes = typed_.minutes;
            in().workingDays = typed_.workingDays;
        }
        in().sourceName = typed_.sourceName;
    }

    // Each numeric text becomes the text of its leading number, which rounds
    // it to 15 digits; the run reads its numbers back from those texts, once
    // each, where it first needs them.
    void Normalise() {
        for (std::string* text : {&in().yearlyConsumption, &in().hours, &in().minutes, &in().workingDays})
            *text = NumberText(LeadingNumber(*text), separator_);
    }

    void CheckWorkingDays() {
        days_ = ToNumber(in().workingDays, separator_);
        if (days_ > 365) Message(kTooManyDaysMessage, out().tooManyDays);
        if (days_ < 0) Message(kTooFewDaysMessage, out().tooFewDays);
        if (days_ == 0) Message(kZeroDaysMessage, out().zeroDays);
    }

    // b, rounded to two decimals (ties to even). Zero working days are not
    // divided by: such a run keeps b = 0 and ends failed.
    void DailyConsumption() {
        yearly_ = ToNumber(in().yearlyConsumption, separator_);
        if (!typed_.perYearMode && out().zeroDays) return;
        const double divisor = typed_.perYearMode ? ToNumber(in().hours, separator_) : days_;
        const double scaled = plain_.Mul(plain_.Div(yearly_, divisor), 100.0);
        plain_.ArithmeticCheck();
        out().dailyConsumption = plain_.Div(static_cast<double>(RoundToInt(scaled)), 100.0);
        plain_.ArithmeticCheck();
    }

    void DailyWeldingTime() {
        const double hoursInMinutes = plain_.Mul(ToNumber(in().hours, separator_), 60.0);
        plain_.ArithmeticCheck();
        const double t = plain_.Mul(plain_.Add(hoursInMinutes, ToNumber(in().minutes, separator_)), 60.0);
        plain_.ArithmeticCheck();
        out().weldingSeconds = NumberText(t, separator_);
    }

    static Operand Factor(const std::optional<double>& factor) {
        return factor ? Operand(*factor) : Operand(Operand::Absent{});
    }

    // M = (g x B) x 0.000001.
    void GrossEmissions() {
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            const Operand product = Multiply(Factor(out().factors[i]), Operand(yearly_));
            out().grossEmission[i] = AsDouble(Multiply(product, Operand(0.000001)));
        }
    }

    // G = IntQuotient(((g x b) / t) x 100000000, 1) / 100000000, with t read
    // back from its 15-digit text.
    void MaxEmissions() {
        const Operand seconds(ToNumber(out().weldingSeconds, separator_));
        const Operand scale(std::int32_t{100000000});
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            const Operand product = Multiply(Factor(out().factors[i]), Operand(out().dailyConsumption));
            const Operand scaled = Multiply(Operand(Divide(product, seconds)), scale);
            const std::int32_t whole = IntQuotient(scaled, Operand(std::int32_t{1}));
            out().maxEmission[i] = Divide(Operand(whole), scale);
        }
    }

    // Every product the run forms has a double operand, so it is a double.
    static double AsDouble(const Operand& operand) { return std::get<double>(operand.Get()); }

    const RunInputs& typed_;
    char separator_;
    RunOutcome outcome_;
    PlainArithmetic plain_;
    double yearly_ = 0.0;  // B
    double days_ = 0.0;
};

}  // namespace

RunOutcome Calculate(const RunInputs& typed, char separator) { return Run(typed, separator).Outcome(); }

}  // namespace korvel
