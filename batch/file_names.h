// SPDX-License-Identifier: GPL-3.0-or-later
// Names of the report files a batch writes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "report/file_names.h"

namespace korvel::batch {

// "<row>-<safe source>.htm", the row zero-padded to `width` digits; "<row>.htm"
// when nothing of the source name is left.
std::string ReportFileName(std::size_t row, std::size_t width, std::string_view source);

// The digits of the largest row number, and at least 4.
std::size_t RowNumberWidth(std::size_t rowCount);

}  // namespace korvel::batch
