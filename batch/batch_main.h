// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line front end korvel-batch: reads stations from a CSV file,
// runs each one as the input window would, writes a report per station and a
// summary table. Callable as a function so that it can be driven in-process.
#pragma once

#include <atomic>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "korvel/version.h"

namespace korvel::batch {

inline constexpr std::string_view kProgramName = "korvel-batch";
inline constexpr std::string_view kVersion = KORVEL_VERSION_DISPLAY;

// Exit codes.
inline constexpr int kExitAllOk = 0;
inline constexpr int kExitSomeRowsFailed = 1;
inline constexpr int kExitBadInput = 2;  // usage, input file, or an output that cannot be written
inline constexpr int kExitInterrupted = 130;

struct BatchStreams {
    std::ostream& out;  // help, version and the closing tally
    std::ostream& err;  // failed rows, errors, the progress bar
    bool errIsTerminal = false;
    // Set asynchronously (an interrupt) to stop after the current row.
    const std::atomic<bool>* stop = nullptr;
};

// `args` are the command-line arguments without the program name.
int BatchMain(std::span<const std::string> args, BatchStreams streams);

}  // namespace korvel::batch
