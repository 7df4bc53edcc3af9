// SPDX-License-Identifier: GPL-3.0-or-later
// korvel's start-up beside a bare Qt window with the same widgets: each a
// fresh process, from exec through its first painted window to its exit (a
// probe loaded with LD_PRELOAD ends the event loop after the first paint),
// started alternately, and their peak memory. Reports the medians and the
// ratios korvel / bare window (goal: at most 1.10 each). Runs on the display
// of DISPLAY, else on the offscreen platform.
//
//   build/bench/startup_bench
//   KORVEL_BENCH_PROGRAM=path/to/another/korvel build/bench/startup_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Start {
    double seconds = -1;
    double cpuSeconds = 0;  // user and system: steadier than the clock on a busy machine
    double peakMiB = 0;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs `program` with the probe; its files go to `home`.
Start Run(const char* program, const std::string& home) {
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string variable(*e);
        if (variable.rfind("LD_PRELOAD=", 0) != 0 && variable.rfind("HOME=", 0) != 0) variables.push_back(variable);
    }
    variables.push_back("LD_PRELOAD=" KORVEL_FIRST_PAINT_PROBE);
    variables.push_back("HOME=" + home);
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr)
        variables.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> env;
    for (std::string& variable : variables) env.push_back(variable.data());
    env.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, env.data()) != 0) return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            Seconds(usage.ru_utime) + Seconds(usage.ru_stime), static_cast<double>(usage.ru_maxrss) / 1024};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void BM_StartToFirstPaint_KorvelBesideBareWindow(benchmark::State& state) {
    char folder[] = "/tmp/korvel-startup-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    // Another build of korvel, to compare: KORVEL_BENCH_PROGRAM=path.
    const char* program = std::getenv("KORVEL_BENCH_PROGRAM") ? std::getenv("KORVEL_BENCH_PROGRAM") : KORVEL_PROGRAM;
    std::vector<double> korvelSeconds, bareSeconds, korvelCpu, bareCpu, korvelMiB, bareMiB;
    bool korvelFirst = true;
    for (auto _ : state) {
        Start korvel, bare;
        if (korvelFirst) {
            korvel = Run(program, folder);
            bare = Run(KORVEL_BARE_WINDOW, folder);
        } else {
            bare = Run(KORVEL_BARE_WINDOW, folder);
            korvel = Run(program, folder);
        }
        korvelFirst = !korvelFirst;
        if (korvel.seconds < 0 || bare.seconds < 0) {
            state.SkipWithError("a program did not start or did not end cleanly");
            break;
        }
        state.SetIterationTime(korvel.seconds);
        korvelSeconds.push_back(korvel.seconds);
        bareSeconds.push_back(bare.seconds);
        korvelCpu.push_back(korvel.cpuSeconds);
        bareCpu.push_back(bare.cpuSeconds);
        korvelMiB.push_back(korvel.peakMiB);
        bareMiB.push_back(bare.peakMiB);
    }
    std::filesystem::remove_all(folder);
    if (korvelSeconds.empty()) return;
    state.counters["korvel_ms"] = Median(korvelSeconds) * 1000;
    state.counters["bare_ms"] = Median(bareSeconds) * 1000;
    state.counters["time_ratio"] = Median(korvelSeconds) / Median(bareSeconds);
    state.counters["cpu_ratio"] = Median(korvelCpu) / Median(bareCpu);
    state.counters["korvel_MiB"] = Median(korvelMiB);
    state.counters["bare_MiB"] = Median(bareMiB);
    state.counters["memory_ratio"] = Median(korvelMiB) / Median(bareMiB);
}
BENCHMARK(BM_StartToFirstPaint_KorvelBesideBareWindow)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
