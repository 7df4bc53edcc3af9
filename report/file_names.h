// SPDX-License-Identifier: GPL-3.0-or-later
// File names made from a source name typed by the user.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel {

// A source name made safe as part of a file name on any file system and in a
// shell: letters (any script), digits and -_.,()+ are kept, every run of other
// characters becomes one "_", leading and trailing dots and underscores are
// dropped, and the result is cut to at most `maxBytes` bytes on a UTF-8
// character boundary.
std::string SafeFileStem(std::string_view source, std::size_t maxBytes = 100);

// A report file's name in a folder of reports: "<row>-<safe source>.htm", the
// row zero-padded to `width` digits; "<row>.htm" when nothing of the source
// name is left.
std::string ReportFileName(std::size_t row, std::size_t width, std::string_view source);

// The digits of the largest row number, and at least 4.
std::size_t RowNumberWidth(std::size_t rowCount);

}  // namespace korvel
