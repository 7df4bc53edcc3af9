// SPDX-License-Identifier: GPL-3.0-or-later
// The report file: where it lives, and how a run replaces it.
#pragma once

#include <filesystem>
#include <string_view>

#include "calc/run.h"

namespace korvel {

// Codes of the file errors a run can end with, with the conventional meanings.
inline constexpr int kDiskFull = 61;
inline constexpr int kFileAccessError = 75;  // any other failure of the file system
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;

// The one report file: "c:\korvel.htm" on Windows; elsewhere "korvel.htm" in
// the home folder ($HOME, or the password database when HOME is unset or
// empty; the current folder when neither names one). Everything else takes
// the path as a parameter.
std::filesystem::path ReportPath();

// Replaces the file at `path` with `bytes` as a whole: the bytes go to a new
// file in the same folder, which is then renamed over `path`, so a reader sees
// either the old report or the new one, never a mix; a symbolic link is
// followed and its target replaced. On any failure the
// temporary file is removed, the old file is left as it was, and FatalError is
// thrown with one of the codes above and a Russian description naming `path`.
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

// Builds the report of a run and replaces the file at `path` with it.
void WriteReport(const CalcInputs& inputs, const CalcResults& results, char separator,
                 const std::filesystem::path& path);

}  // namespace korvel
