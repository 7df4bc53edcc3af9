// SPDX-License-Identifier: GPL-3.0-or-later
// The input window as data: every control with its name, kind, caption or
// default text, place and size in twips, visibility at start, tab index and
// the RunInputs member it fills, and the controls the time mode switches. The
// Qt window and the browser page are both built from these tables.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "calc/run.h"

namespace korvel::form1 {

enum class Kind { Rect, Label, CentredLabel, FramedLabel, Field, LeftField, DisplayField, Combo, Check, Button };

struct ControlLayout {
    std::string_view name;
    Kind kind;
    std::string_view text;
    int left, top, width, height;  // twips, relative to the client area
    bool visible;
    int tabIndex;  // -1: takes no focus at all
    // The text a run takes from the field or the brand list; the check box
    // gives RunInputs::perYearMode.
    std::string RunInputs::*input = nullptr;
};

inline constexpr int kClientWidth = 8235;  // twips
inline constexpr int kClientHeight = 4395;

// Every control of the window, in the order of its bands.
inline constexpr std::array<ControlLayout, 29> kLayout{{
    {"Shape7", Kind::Rect, "", 360, 120, 3855, 615, true, -1},
    {"Check1", Kind::Check, "", 480, 240, 255, 255, true, 16},
    {"Label8", Kind::Label, "Рассчитывать максимально-разовый выброс прямым пересчетом из валового", 840, 240, 3255,
     495, true, 17},
    {"Shape5", Kind::Rect, "", 4320, 120, 3855, 615, true, -1},
    {"Label6", Kind::Label, "Номер источника", 4440, 360, 1455, 255, true, 14},
    {"Text7", Kind::LeftField, "__________", 6000, 360, 2055, 285, true, 0, &RunInputs::sourceName},
    {"Shape6", Kind::Rect, "", 360, 840, 7815, 735, true, -1},
    {"Label7", Kind::Label, "Выберите марку электрода", 600, 1080, 2775, 255, true, 15},
    {"Combo1", Kind::Combo, "", 3600, 1080, 4455, 315, true, 2, &RunInputs::brand},
    {"Shape1", Kind::Rect, "", 360, 1680, 5295, 495, true, -1},
    {"Label1", Kind::Label, "Масса израсходованных за год электродов, кг", 480, 1800, 3855, 255, true, 1},
    {"Text1", Kind::Field, "330.00", 4440, 1800, 1095, 285, true, 3, &RunInputs::yearlyConsumption},
    {"Shape2", Kind::Rect, "", 360, 2280, 5295, 495, true, -1},
    {"Label2", Kind::Label, "Время непрерывной сварки в день, час.,мин. ", 480, 2400, 3855, 255, true, 8},
    {"Text2", Kind::Field, "1", 4440, 2400, 495, 285, true, 4, &RunInputs::hours},
    {"Text3", Kind::Field, "15", 5040, 2400, 495, 285, true, 5, &RunInputs::minutes},
    {"Shape3", Kind::Rect, "", 360, 2880, 5295, 495, true, -1},
    {"Label3", Kind::Label, "Количество рабочих дней в году", 480, 3000, 3855, 255, true, 9},
    {"Text4", Kind::Field, "365", 4440, 3000, 1095, 285, true, 6, &RunInputs::workingDays},
    {"Shape8", Kind::Rect, "", 360, 2280, 5295, 1095, false, -1},
    {"Label9", Kind::Label, "Время работы участка, часов в год", 480, 2400, 3855, 255, false, 18},
    {"Text8", Kind::Field, "502", 3600, 2400, 1335, 285, false, 19, &RunInputs::hoursPerYear},
    {"Shape4", Kind::Rect, "", 6000, 1680, 2175, 1695, true, -1},
    {"Label4", Kind::CentredLabel, "Масса электродов, расходуемых в день, кг", 6120, 1680, 1815, 375, true, 12},
    {"Text5", Kind::DisplayField, "Не рассчитано", 6120, 2160, 1935, 285, true, 10},
    {"Label5", Kind::CentredLabel, "Время непрерывной сварки, сек", 6120, 2520, 1815, 375, true, 13},
    {"Text6", Kind::DisplayField, "Не рассчитано", 6120, 3000, 1935, 285, true, 11},
    // The fourth letter of the caption is the Latin c.
    {"Command1", Kind::Button, "Расcчитать и сформировать отчет", 360, 3600, 7695, 255, true, 7},
    {"Label10", Kind::FramedLabel, "ver.1.01 beta 2003", 2280, 3960, 3855, 255, true, 20},
}};

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

// The twelve controls the time mode shows or hides, in the order the switch
// works through them, and whether each belongs to per-year mode.
struct ModeRow {
    std::string_view name;
    bool perYear;
};
inline constexpr std::array<ModeRow, 12> kModeRows{{
    {"Text2", false},
    {"Text3", false},
    {"Text4", false},
    {"Label2", false},
    {"Label3", false},
    {"Shape2", false},
    {"Shape3", false},
    {"Shape8", true},
    {"Label9", true},
    {"Text8", true},
    {"Text5", false},
    {"Text6", false},
}};

}  // namespace korvel::form1
