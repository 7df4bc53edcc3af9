// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_main.h"

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted.store(true); }

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return korvel::batch::BatchMain(args, {std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, &interrupted});
}
