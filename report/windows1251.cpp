// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/windows1251.h"

namespace korvel {

std::string ToWindows1251(std::string_view utf8) {
    std::string out(utf8.size(), '\0');
    out.resize(static_cast<std::size_t>(ConvertToWindows1251(utf8, out.data()) - out.data()));
    return out;
}

}  // namespace korvel
