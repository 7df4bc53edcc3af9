// SPDX-License-Identifier: GPL-3.0-or-later
// How a run replaces its report file; where the file lives is the front
// end's business.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "calc/fatal_error.h"
#include "calc/run.h"
#include "report/atomic_file.h"

namespace korvel {

// Replaces the file at `path` with `bytes` as a whole (see AtomicFile), so a
// reader sees either the old report or the new one, never a mix; a symbolic
// link is followed and its target replaced. On failure the old file is left
// as it was and FatalError is thrown with a file error code.
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

// Builds the report of a run and replaces the file at `path` with it; the
// failure, if any, comes back as a value.
std::optional<FatalError> WriteReport(const CalcInputs& inputs, const CalcResults& results, char separator,
                                      const std::filesystem::path& path);

}  // namespace korvel
