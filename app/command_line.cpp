// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <utility>
#include <vector>

#include "korvel/version.h"

namespace korvel {

namespace {

constexpr int kExitUsage = 2;

constexpr std::string_view kHelp =
    "Использование: korvel [--help | --version]\n"
    "\n"
    "Открывает окно расчета выбросов загрязняющих веществ при дуговой\n"
    "электросварке. Отчет о каждом расчете записывается в файл korvel.htm\n"
    "в домашней папке и показывается в окне отчета. Других параметров и\n"
    "настроек нет. Расчет многих источников из CSV-файла без окна: korvel-batch.\n"
    "\n"
    "Параметры:\n"
    "  -h, --help     эта справка\n"
    "      --version  версия\n"
    "\n"
    "Код возврата: 0 - программа закрыта или выведена справка; 1 - нет доступа\n"
    "к графическому дисплею; 2 - ошибка параметров.\n";

CommandLineAnswer Answer(std::string_view arg) {
    using Kind = CommandLineAnswer::Kind;
    if (arg == "--help" || arg == "-h") return {Kind::PrintHelp, std::string(kHelp), 0};
    if (arg == "--version")
        return {Kind::PrintVersion, "korvel " KORVEL_VERSION_DISPLAY " (" KORVEL_VERSION_COMMENT ")\n", 0};
    const std::string what = arg.starts_with('-') ? "неизвестный параметр" : "лишний аргумент";
    return {Kind::UsageError, "korvel: " + what + " «" + std::string(arg) + "»\nСправка: korvel --help\n", kExitUsage};
}

}  // namespace

CommandLineAnswer ReadCommandLine(std::span<const std::string> args) {
    // Every argument is checked, so that a wrong one is never passed over; the first decides.
    CommandLineAnswer first;
    for (const std::string& arg : args) {
        CommandLineAnswer answer = Answer(arg);
        if (answer.kind == CommandLineAnswer::Kind::UsageError) return answer;
        if (first.kind == CommandLineAnswer::Kind::OpenWindow) first = std::move(answer);
    }
    return first;
}

std::optional<int> AnswerCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CommandLineAnswer answer = ReadCommandLine(args);
    switch (answer.kind) {
        case CommandLineAnswer::Kind::OpenWindow:
            return std::nullopt;
        case CommandLineAnswer::Kind::UsageError:
            err << answer.text << std::flush;
            break;
        default:
            out << answer.text << std::flush;
    }
    return answer.exitCode;
}

}  // namespace korvel
