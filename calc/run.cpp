// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/run.h"

namespace korvel {

namespace {

std::string Normalised(std::string_view text, char separator) { return NumberText(LeadingNumber(text), separator); }

double AsDouble(const Operand& operand) {
    // Every product the run forms has a double operand, so the result is one.
    if (const double* d = std::get_if<double>(&operand.Get())) return *d;
    return static_cast<double>(std::get<std::int32_t>(operand.Get()));
}

Operand FactorOperand(const std::optional<double>& factor) {
    return factor ? Operand(*factor) : Operand(Operand::Absent{});
}

}  // namespace

Calculation Calculate(FieldSource& fields, RunFeedback& feedback, char separator) {
    Calculation calc;
    CalcInputs& in = calc.inputs;
    CalcResults& out = calc.results;
    PlainArithmetic plain;

    // 1. Per-year mode takes its welding time from the yearly hours.
    in.perYearMode = fields.CheckValue() == 1;
    if (in.perYearMode) {
        in.hoursPerYear = fields.Text(Control::Text8);
        const double t = plain.Mul(plain.Mul(ToNumber(in.hoursPerYear, separator), 60.0), 60.0);
        plain.ArithmeticCheck();
        out.weldingSeconds = NumberText(t, separator);
        in.workingDays = in.hours = in.minutes = NumberText(std::int64_t{1});
    }

    // 2.-5. Flags start cleared; the brand and its factors.
    in.brand = fields.Text(Control::Combo1);
    if (in.brand.empty()) {
        feedback.ShowMessage(kBrandMissingMessage);
        out.brandMissing = true;
    }
    out.factors = LookupBrand(in.brand);

    // 6.-8. The remaining fields.
    in.yearlyConsumption = fields.Text(Control::Text1);
    if (!in.perYearMode) {
        in.hours = fields.Text(Control::Text2);
        in.minutes = fields.Text(Control::Text3);
        in.workingDays = fields.Text(Control::Text4);
    }
    in.sourceName = fields.Text(Control::Text7);

    // 9. Normalise, in this order.
    in.yearlyConsumption = Normalised(in.yearlyConsumption, separator);
    in.hours = Normalised(in.hours, separator);
    in.minutes = Normalised(in.minutes, separator);
    in.workingDays = Normalised(in.workingDays, separator);

    // 10. Working-days checks, each on its own.
    const double days = ToNumber(in.workingDays, separator);
    if (days > 365) {
        feedback.ShowMessage(kTooManyDaysMessage);
        out.tooManyDays = true;
    }
    if (days < 0) {
        feedback.ShowMessage(kTooFewDaysMessage);
        out.tooFewDays = true;
    }
    if (days == 0) {
        feedback.ShowMessage(kZeroDaysMessage);
        out.zeroDays = true;
    }

    // 11. Daily consumption b, rounded to two decimals (ties to even). Zero
    // working days are not divided by: such a run has b = 0 and ends failed.
    const double yearly = ToNumber(in.yearlyConsumption, separator);
    if (in.perYearMode || !out.zeroDays) {
        const double divisor = in.perYearMode ? ToNumber(in.hours, separator) : days;
        const double scaled = plain.Mul(plain.Div(yearly, divisor), 100.0);
        plain.ArithmeticCheck();
        out.dailyConsumption = plain.Div(static_cast<double>(RoundToInt(scaled)), 100.0);
        plain.ArithmeticCheck();
    }

    // 12.
    fields.SetText(Control::Text5, NumberText(out.dailyConsumption, separator));

    // 13. Daily welding time in seconds.
    if (!in.perYearMode) {
        const double hoursInMinutes = plain.Mul(ToNumber(in.hours, separator), 60.0);
        plain.ArithmeticCheck();
        const double t = plain.Mul(plain.Add(hoursInMinutes, ToNumber(in.minutes, separator)), 60.0);
        plain.ArithmeticCheck();
        out.weldingSeconds = NumberText(t, separator);
    }

    // 14.
    fields.SetText(Control::Text6, out.weldingSeconds);

    // 15. M = (g x B) x 0.000001, B taken from its text at each use.
    const Operand yearlyText(std::string_view(in.yearlyConsumption));
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        const Operand product = Multiply(FactorOperand(out.factors[i]), yearlyText, separator);
        out.grossEmission[i] = AsDouble(Multiply(product, Operand(0.000001), separator));
    }

    // 16. G = IntQuotient(((g x b) / t) x 100000000, 1) / 100000000, t from its text.
    const Operand secondsText(std::string_view(out.weldingSeconds));
    const Operand scale(std::int32_t{100000000});
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        const Operand product = Multiply(FactorOperand(out.factors[i]), Operand(out.dailyConsumption), separator);
        const double perSecond = Divide(product, secondsText, separator);
        const Operand scaled = Multiply(Operand(perSecond), scale, separator);
        const std::int32_t whole = IntQuotient(scaled, Operand(std::int32_t{1}), separator);
        out.maxEmission[i] = Divide(Operand(whole), scale, separator);
    }
    return calc;
}

std::optional<FatalError> Run(FieldSource& fields, RunFeedback& feedback, RunSteps& steps, char separator) {
    try {
        const Calculation calc = Calculate(fields, feedback, separator);
        steps.WriteReport(calc.inputs, calc.results);
        steps.ClosingStep(calc.inputs, calc.results);
        return std::nullopt;
    } catch (const FatalError& error) {
        feedback.ShowError(error);
        return error;
    }
}

}  // namespace korvel
