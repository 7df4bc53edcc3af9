// SPDX-License-Identifier: GPL-3.0-or-later
// A whole inventory in one workbook, to hand between the page, korvel-batch
// and a colleague: the posts on the first sheet in korvel-batch's input
// columns, the parameters of the sources of pollution on the second in a
// parameters file's columns.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/pollution_sources.h"
#include "sheets/station_run.h"

namespace korvel {

inline constexpr std::string_view kPostsSheet = "Посты";
inline constexpr std::string_view kParametersSheet = "Параметры ИЗА";

// Writes the workbook at `path`, titled `title` and signed by `program`.
// Every text reads back as typed: a number cell where the workbook reader
// gives back the same text (hours per year and η written with `separator`,
// as typed), a text cell otherwise ("330.00", "200,5", "0001"); a row with
// no text keeps its place. Throws SheetError.
void WriteInventoryWorkbook(const std::filesystem::path& path, const std::string& title, std::string_view program,
                            std::size_t rows, const std::function<const StationInputs&(std::size_t)>& row,
                            const std::vector<PollutionSourceParameters>& parameters, char separator);

}  // namespace korvel
