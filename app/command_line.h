// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line: nothing but --help and --version, both
// answered before any window or display is needed.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace korvel {

struct CommandLineAnswer {
    enum class Kind { OpenWindow, PrintHelp, PrintVersion, UsageError };
    Kind kind = Kind::OpenWindow;
    std::string text;  // for stdout (help, version) or stderr (usage error)
    int exitCode = 0;
};

// `args` are the arguments without the program name.
CommandLineAnswer ReadCommandLine(std::span<const std::string> args);

// Prints what the command line asks for; returns the exit code when the
// program is done, nothing when it should open its window.
std::optional<int> AnswerCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace korvel
