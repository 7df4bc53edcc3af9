// SPDX-License-Identifier: GPL-3.0-or-later
// Reading back one member of a zip archive (OpenDocument, Office Open XML).
#pragma once

#include <filesystem>
#include <string>

namespace korvel::testing {

// The uncompressed bytes of the member `name` of the archive at `zip`. Throws
// std::runtime_error when the archive cannot be read or has no such member.
std::string ReadZipEntry(const std::filesystem::path& zip, const std::string& name);

}  // namespace korvel::testing
