// SPDX-License-Identifier: GPL-3.0-or-later
// Where the report's footer sends its reader: the author's web site and the
// feedback mail box. This project's own addresses, kept in this one place.
#pragma once

#include <string_view>

namespace korvel {

inline constexpr std::string_view kAuthorSiteAddress = "https://korvel.example.org/";
inline constexpr std::string_view kAuthorMailAddress = "author@korvel.example.org";

}  // namespace korvel
