// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of korvel-batch.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace korvel::batch {

enum class SummaryFormat { Csv, Xlsx };

struct Options {
    std::filesystem::path input;
    std::filesystem::path outputDir = ".";
    std::filesystem::path summary;  // outputDir/summary.csv (or .xlsx) unless given
    bool summaryGiven = false;
    std::filesystem::path pollutionSources;  // the ИЗА parameters; empty: none given
    SummaryFormat format = SummaryFormat::Csv;
    bool summaryOnly = false;
    bool quiet = false;
    char separator = '.';
    unsigned threads = 0;  // 0 until parsed: one per processor unless given
};

// Parses the arguments (without the program name). Returns the exit code
// when the program is done (--help, --version), nothing when it should go
// on. Throws UsageError.
std::optional<int> ParseOptions(std::span<const std::string> args, Options& options, std::ostream& out);

}  // namespace korvel::batch
