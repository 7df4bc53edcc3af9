// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

namespace korvel {
namespace {

using Kind = CommandLineAnswer::Kind;

TEST(CommandLine, OnlyHelpAndVersionAreKnownAndAWrongArgumentIsNeverPassedOver) {
    struct Case {
        std::vector<std::string> args;
        Kind kind;
        int exitCode;
        std::string pattern;  // the whole text
    };
    const std::string help = "Использование: korvel \\[--help \\| --version\\]\n[^]*";
    const std::string version = "korvel \\d+\\.\\d{2}\\.\\d{4} \\(.+\\)\n";
    const auto error = [](const std::string& what) { return "korvel: " + what + "\nСправка: korvel --help\n"; };
    const std::vector<Case> cases = {
        {{}, Kind::OpenWindow, 0, ""},
        {{"--help"}, Kind::PrintHelp, 0, help},
        {{"-h"}, Kind::PrintHelp, 0, help},
        {{"--version"}, Kind::PrintVersion, 0, version},
        {{"--version", "--help"}, Kind::PrintVersion, 0, version},
        {{"--frobnicate"}, Kind::UsageError, 2, error("неизвестный параметр «--frobnicate»")},
        {{"-platform"}, Kind::UsageError, 2, error("неизвестный параметр «-platform»")},
        {{"--help=x"}, Kind::UsageError, 2, error("неизвестный параметр «--help=x»")},
        {{"--help", "report.htm"}, Kind::UsageError, 2, error("лишний аргумент «report\\.htm»")},
        {{""}, Kind::UsageError, 2, error("лишний аргумент «»")},
    };
    for (const Case& c : cases) {
        const CommandLineAnswer answer = ReadCommandLine(c.args);
        const std::string args = ::testing::PrintToString(c.args);
        EXPECT_EQ(answer.kind, c.kind) << args;
        EXPECT_EQ(answer.exitCode, c.exitCode) << args;
        EXPECT_TRUE(std::regex_match(answer.text, std::regex(c.pattern))) << args << ": " << answer.text;
    }
}

}  // namespace
}  // namespace korvel
