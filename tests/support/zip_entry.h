// SPDX-License-Identifier: GPL-3.0-or-later
// One member of a zip archive (an XLSX or OpenDocument file), read back.
#pragma once

#include <filesystem>
#include <string>

namespace korvel::testing {

// The uncompressed bytes of the member `name` of the archive `zip`. Throws
// std::runtime_error when the archive cannot be read or lacks the member.
std::string ReadZipEntry(const std::filesystem::path& zip, const std::string& name);

}  // namespace korvel::testing
