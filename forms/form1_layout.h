// SPDX-License-Identifier: GPL-3.0-or-later
// The input window as data: every control with its name, role, kind,
// caption or default text, place and size in twips, the time mode it is
// shown in, tab index and the RunInputs member it fills. The
// Qt window and the browser page are both built from these tables.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calc/run.h"

namespace korvel::form1 {

enum class Kind { Rect, Label, CentredLabel, FramedLabel, Field, LeftField, DisplayField, Combo, Check, Button };

// What a control is for: an input, the result fields and the button; the
// caption of each; the band (rectangle) around them.
// clang-format off
enum class Role {
    perYearModeBand, perYearMode, perYearModeCaption,
    sourceNameBand, sourceNameCaption, sourceName,
    brandBand, brandCaption, brand,
    yearlyConsumptionBand, yearlyConsumptionCaption, yearlyConsumption,
    dailyTimeBand, dailyTimeCaption, hours, minutes,
    workingDaysBand, workingDaysCaption, workingDays,
    hoursPerYearBand, hoursPerYearCaption, hoursPerYear,
    resultsBand, dailyConsumptionCaption, dailyConsumption, weldingTimeCaption, weldingTime,
    run, versionCaption
};
// clang-format on

// The time mode in which a control is shown: the check box switches between
// daily and per-year mode; the window opens in daily mode.
enum class Mode { both, daily, perYear };

struct ControlLayout {
    std::string_view name;  // the object name and the page's element id
    Role role;
    Kind kind;
    std::string_view text;
    int left, top, width, height;  // twips, relative to the client area
    Mode mode;
    int tabIndex;  // -1: takes no focus at all
    // The text a run takes from the field or the brand list; the check box
    // gives RunInputs::perYearMode.
    std::string RunInputs::*input = nullptr;
    bool visible = mode != Mode::perYear;  // at start
};

inline constexpr int kClientWidth = 8235;  // twips
inline constexpr int kClientHeight = 4395;

// Every control of the window, in the order of its bands.
inline constexpr std::array<ControlLayout, 29> kLayout{{
    {"Shape7", Role::perYearModeBand, Kind::Rect, "", 360, 120, 3855, 615, Mode::both, -1},
    {"Check1", Role::perYearMode, Kind::Check, "", 480, 240, 255, 255, Mode::both, 16},
    {"Label8", Role::perYearModeCaption, Kind::Label,
     "Рассчитывать максимально-разовый выброс прямым пересчетом из валового", 840, 240, 3255, 495, Mode::both, 17},
    {"Shape5", Role::sourceNameBand, Kind::Rect, "", 4320, 120, 3855, 615, Mode::both, -1},
    {"Label6", Role::sourceNameCaption, Kind::Label, "Номер источника", 4440, 360, 1455, 255, Mode::both, 14},
    {"Text7", Role::sourceName, Kind::LeftField, "__________", 6000, 360, 2055, 285, Mode::both, 0,
     &RunInputs::sourceName},
    {"Shape6", Role::brandBand, Kind::Rect, "", 360, 840, 7815, 735, Mode::both, -1},
    {"Label7", Role::brandCaption, Kind::Label, "Выберите марку электрода", 600, 1080, 2775, 255, Mode::both, 15},
    {"Combo1", Role::brand, Kind::Combo, "", 3600, 1080, 4455, 315, Mode::both, 2, &RunInputs::brand},
    {"Shape1", Role::yearlyConsumptionBand, Kind::Rect, "", 360, 1680, 5295, 495, Mode::both, -1},
    {"Label1", Role::yearlyConsumptionCaption, Kind::Label, "Масса израсходованных за год электродов, кг", 480, 1800,
     3855, 255, Mode::both, 1},
    {"Text1", Role::yearlyConsumption, Kind::Field, "330.00", 4440, 1800, 1095, 285, Mode::both, 3,
     &RunInputs::yearlyConsumption},
    {"Shape2", Role::dailyTimeBand, Kind::Rect, "", 360, 2280, 5295, 495, Mode::daily, -1},
    {"Label2", Role::dailyTimeCaption, Kind::Label, "Время непрерывной сварки в день, час.,мин. ", 480, 2400, 3855, 255,
     Mode::daily, 8},
    {"Text2", Role::hours, Kind::Field, "1", 4440, 2400, 495, 285, Mode::daily, 4, &RunInputs::hours},
    {"Text3", Role::minutes, Kind::Field, "15", 5040, 2400, 495, 285, Mode::daily, 5, &RunInputs::minutes},
    {"Shape3", Role::workingDaysBand, Kind::Rect, "", 360, 2880, 5295, 495, Mode::daily, -1},
    {"Label3", Role::workingDaysCaption, Kind::Label, "Количество рабочих дней в году", 480, 3000, 3855, 255,
     Mode::daily, 9},
    {"Text4", Role::workingDays, Kind::Field, "365", 4440, 3000, 1095, 285, Mode::daily, 6, &RunInputs::workingDays},
    {"Shape8", Role::hoursPerYearBand, Kind::Rect, "", 360, 2280, 5295, 1095, Mode::perYear, -1},
    {"Label9", Role::hoursPerYearCaption, Kind::Label, "Время работы участка, часов в год", 480, 2400, 3855, 255,
     Mode::perYear, 18},
    {"Text8", Role::hoursPerYear, Kind::Field, "502", 3600, 2400, 1335, 285, Mode::perYear, 19,
     &RunInputs::hoursPerYear},
    {"Shape4", Role::resultsBand, Kind::Rect, "", 6000, 1680, 2175, 1695, Mode::both, -1},
    {"Label4", Role::dailyConsumptionCaption, Kind::CentredLabel, "Масса электродов, расходуемых в день, кг", 6120,
     1680, 1815, 375, Mode::both, 12},
    {"Text5", Role::dailyConsumption, Kind::DisplayField, "Не рассчитано", 6120, 2160, 1935, 285, Mode::daily, 10},
    {"Label5", Role::weldingTimeCaption, Kind::CentredLabel, "Время непрерывной сварки, сек", 6120, 2520, 1815, 375,
     Mode::both, 13},
    {"Text6", Role::weldingTime, Kind::DisplayField, "Не рассчитано", 6120, 3000, 1935, 285, Mode::daily, 11},
    // The fourth letter of the caption is the Latin c.
    {"Command1", Role::run, Kind::Button, "Расcчитать и сформировать отчет", 360, 3600, 7695, 255, Mode::both, 7},
    {"Label10", Role::versionCaption, Kind::FramedLabel, "ver.1.01 beta 2003", 2280, 3960, 3855, 255, Mode::both, 20},
}};

// The row of the control with `role`.
constexpr const ControlLayout& WithRole(Role role) {
    for (const ControlLayout& c : kLayout)
        if (c.role == role) return c;
    throw std::logic_error("no control has this role");
}

// Its place in the table.
constexpr std::size_t IndexOf(const ControlLayout& c) { return static_cast<std::size_t>(&c - kLayout.data()); }

// A control whose value a run takes.
constexpr bool IsInput(const ControlLayout& c) { return c.kind == Kind::Check || c.input != nullptr; }

// What the controls hold, as a run takes it: `text(c)` gives the text of the
// field or list `c`, `ticked(c)` whether the check box `c` is ticked.
template <typename Text, typename Ticked>
RunInputs ReadInputs(const Text& text, const Ticked& ticked) {
    RunInputs in;
    for (const ControlLayout& c : kLayout) {
        if (c.kind == Kind::Check) in.perYearMode = ticked(c);
        if (c.input != nullptr) in.*c.input = text(c);
    }
    return in;
}

// The controls the time mode shows or hides, by name, and whether each
// belongs to per-year mode.
struct ModeRow {
    std::string_view name;
    bool perYear;
};
inline constexpr std::size_t kModeRowCount = static_cast<std::size_t>(
    std::count_if(kLayout.begin(), kLayout.end(), [](const ControlLayout& c) { return c.mode != Mode::both; }));
inline constexpr std::array<ModeRow, kModeRowCount> kModeRows = [] {
    std::array<ModeRow, kModeRowCount> rows{};
    std::size_t n = 0;
    for (const ControlLayout& c : kLayout)
        if (c.mode != Mode::both) rows[n++] = {c.name, c.mode == Mode::perYear};
    return rows;
}();

}  // namespace korvel::form1
