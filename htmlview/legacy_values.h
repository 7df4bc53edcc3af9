// SPDX-License-Identifier: GPL-3.0-or-later
// The presentational attribute values of the old markup, read as browsers
// read them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "htmlview/styled_tree.h"

namespace korvel::htmlview {

std::string Lower(std::string_view text);
std::string_view Trim(std::string_view text);

// <font size>: 1 to 7, or relative to 3 with a sign; clamped.
std::optional<int> LegacyFontSize(std::string_view value);
// <font face>: a comma-separated list, quotes allowed.
std::vector<std::string> FamilyList(std::string_view value);
// A colour the view can take as written: #rgb or #rrggbb, or a colour name;
// else empty.
std::string LegacyColour(std::string_view value);
Align Alignment(std::string_view value);
// A count of pixels (cellspacing, cellpadding): `fallback` unless the value
// starts with a digit; at most `most`.
int Pixels(std::optional<std::string_view> value, int fallback, int most);
// A positive whole number (colspan, width), or 0.
int Positive(std::optional<std::string_view> value, int most);

}  // namespace korvel::htmlview
