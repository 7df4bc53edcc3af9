// SPDX-License-Identifier: GPL-3.0-or-later
// What the page calls: one calculation run from the typed texts, returned as
// a plain object with everything the page shows of it and the report bytes.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <array>
#include <string>
#include <string_view>

#include "calc/closing_step.h"
#include "calc/run.h"
#include "calc/substances.h"
#include "forms/form1_layout.h"
#include "report/report_document.h"
#include "sheets/totals.h"

namespace korvel {
namespace {

using emscripten::val;

// A copy the page owns: a view into the module's memory would be invalidated
// by the next call that grows it.
val Bytes(const std::string& bytes) {
    const auto view = emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()));
    return val::global("Uint8Array").new_(val(view));
}

val TextOrNull(const std::optional<std::string>& text) { return text ? val(*text) : val::null(); }

// `typed` holds the value of each input control by its name.
RunInputs Typed(const val& typed) {
    return form1::ReadInputs(
        [&](const form1::ControlLayout& c) { return typed[std::string(c.name)].as<std::string>(); },
        [&](const form1::ControlLayout& c) { return typed[std::string(c.name)].as<bool>(); });
}

// {messages, dailyConsumptionText, weldingSecondsText, failureText,
//  closingDailyConsumption, closingWeldingTime, showsReport, report,
//  totalsCsv}: the two result texts as the run wrote them and as its closing
// step leaves them, null where a field keeps its text; report (Windows-1251)
// and totalsCsv (UTF-8) are null for a run that stopped with a failure.
val CalculateForPage(const val& typed, const std::string& separator) {
    const char sep = separator == "." ? '.' : ',';
    const RunOutcome outcome = Calculate(Typed(typed), sep);
    val messages = val::array();
    for (const std::string_view message : outcome.messages) messages.call<void>("push", std::string(message));

    val result = val::object();
    result.set("messages", messages);
    result.set("dailyConsumptionText", TextOrNull(outcome.dailyConsumptionText));
    result.set("weldingSecondsText", TextOrNull(outcome.weldingSecondsText));
    result.set("failureText", outcome.failure ? val(ErrorText(*outcome.failure)) : val::null());
    const RunEnd end = CloseRun(outcome);
    result.set("closingDailyConsumption", TextOrNull(end.dailyConsumption));
    result.set("closingWeldingTime", TextOrNull(end.weldingTime));
    result.set("showsReport", end.showsReport);
    const bool built = outcome.ReportDue();
    result.set("report", built ? Bytes(BuildReport(outcome.inputs, outcome.results, sep)) : val::null());
    result.set("totalsCsv", built ? Bytes(TotalsCsv(outcome.inputs, outcome.results, sep)) : val::null());
    return result;
}

// The brand list's entries, in the order the list shows them.
val Brands() {
    val names = val::array();
    for (const Brand& brand : BrandTable) names.call<void>("push", std::string(brand.name));
    return names;
}

// The page's names of the kinds of control, in the order of form1::Kind.
constexpr std::array<std::string_view, 10> kKindNames{
    "rect", "label", "centredLabel", "framedLabel", "field", "leftField", "displayField", "combo", "check", "button"};

std::string KindName(form1::Kind kind) { return std::string(kKindNames.at(static_cast<std::size_t>(kind))); }

val Control(const form1::ControlLayout& c) {
    val control = val::object();
    control.set("name", std::string(c.name));
    control.set("kind", KindName(c.kind));
    control.set("text", std::string(c.text));
    for (const auto& [key, twips] :
         {std::pair{"left", c.left}, {"top", c.top}, {"width", c.width}, {"height", c.height}})
        control.set(key, twips);
    control.set("visible", c.visible);
    control.set("tabIndex", c.tabIndex);
    control.set("input", form1::IsInput(c));
    return control;
}

// The input window as the desktop builds it: {width, height, controls, modeRows},
// sizes in twips, modeRows as [name, perYear] in the order the switch takes them;
// `input` marks the controls whose values `calculate` takes, by name.
val Form1Layout() {
    val controls = val::array();
    for (const form1::ControlLayout& c : form1::kLayout) controls.call<void>("push", Control(c));
    val modeRows = val::array();
    for (const form1::ModeRow& row : form1::kModeRows) {
        val pair = val::array();
        pair.call<void>("push", std::string(row.name));
        pair.call<void>("push", row.perYear);
        modeRows.call<void>("push", pair);
    }
    val layout = val::object();
    layout.set("width", form1::kClientWidth);
    layout.set("height", form1::kClientHeight);
    layout.set("controls", controls);
    layout.set("modeRows", modeRows);
    return layout;
}

}  // namespace
}  // namespace korvel

EMSCRIPTEN_BINDINGS(korvel) {
    emscripten::function("calculate", &korvel::CalculateForPage);
    emscripten::function("brands", &korvel::Brands);
    emscripten::function("form1Layout", &korvel::Form1Layout);
}
