// SPDX-License-Identifier: GPL-3.0-or-later
// What the form calls: one calculation run from the typed texts, as records
// (web/record.h).
#include <emscripten/emscripten.h>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "calc/closing_step.h"
#include "calc/run.h"
#include "forms/form1_layout.h"
#include "report/report_document.h"
#include "sheets/totals.h"
#include "web/record.h"

extern "C" {

// typed: the separator, then the name and value of each input control
// (a check box's value is "1" when it is ticked).
// Returns: the number of messages, the messages, dailyConsumptionText,
// weldingSecondsText, failureText, closingDailyConsumption,
// closingWeldingTime, showsReport, report, totalsCsv. The result texts as
// the run wrote them and as its closing step leaves them are absent where a
// field keeps its text; report and totalsCsv for a run that stopped with a
// failure.
EMSCRIPTEN_KEEPALIVE const char* korvel_calculate(const char* typed, std::size_t size) {
    using namespace korvel;
    using namespace korvel::web;
    RecordReader in(typed, size);
    const char sep = in.Text() == "." ? '.' : ',';
    std::map<std::string, std::string, std::less<>> values;
    for (std::string name = in.Text(); !name.empty(); name = in.Text()) values[name] = in.Text();
    const auto value = [&](const form1::ControlLayout& c) {
        const auto found = values.find(c.name);
        return found == values.end() ? std::string() : found->second;
    };
    const RunOutcome outcome =
        Calculate(form1::ReadInputs(value, [&](const form1::ControlLayout& c) { return value(c) == "1"; }), sep);

    RecordWriter out;
    out.Number(outcome.messages.size());
    for (const std::string_view message : outcome.messages) out.Text(message);
    out.Optional(outcome.dailyConsumptionText).Optional(outcome.weldingSecondsText);
    out.Optional(outcome.failure ? std::optional(ErrorText(*outcome.failure)) : std::nullopt);
    const RunEnd end = CloseRun(outcome);
    out.Optional(end.dailyConsumption).Optional(end.weldingTime).Flag(end.showsReport);
    const bool built = outcome.ReportDue();
    if (built) {
        out.Text(BuildReport(outcome.inputs, outcome.results, sep)).Text(TotalsCsv(outcome.inputs, outcome.results, sep));
    } else {
        out.Absent().Absent();
    }
    return Answer(out);
}

}  // extern "C"
