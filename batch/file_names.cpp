// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/file_names.h"

namespace korvel::batch {

std::string ReportFileName(std::size_t row, std::size_t width, std::string_view source) {
    std::string number = std::to_string(row);
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    const std::string stem = SafeFileStem(source);
    return stem.empty() ? number + ".htm" : number + "-" + stem + ".htm";
}

std::size_t RowNumberWidth(std::size_t rowCount) {
    std::size_t width = 1;
    for (std::size_t n = rowCount; n >= 10; n /= 10) ++width;
    return width < 4 ? 4 : width;
}

}  // namespace korvel::batch
