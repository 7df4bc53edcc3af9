// SPDX-License-Identifier: GPL-3.0-or-later
// Speed and memory of korvel-batch: rows per second with and without report
// files, the report files against plain writes of the same bytes, and the
// peak memory of a batch as the input grows (it should not grow with it).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_main.h"
#include "calc/substances.h"
#include "sheets/pollution_sources.h"
#include "sheets/stations_table.h"

namespace {

namespace fs = std::filesystem;
using korvel::batch::BatchMain;

const fs::path& WorkDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("korvel-batch-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

// Stations of every brand, three in four in daily mode, with blanks in the
// numbers and source names that need quoting now and then.
// With `sources`, each row names one of that many sources of air pollution.
fs::path Stations(std::size_t rows, std::size_t sources = 0) {
    fs::path path = WorkDir() / ("stations-" + std::to_string(rows) + "-" + std::to_string(sources) + ".csv");
    if (fs::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    out << (sources ? "source;pollution_source;" : "source;") << "brand;consumption;hours;minutes;days;hours_per_year\r\n";
    for (std::size_t i = 0; i < rows; ++i) {
        const auto& brand = korvel::BrandTable[i % korvel::kBrandCount].name;
        out << (i % 7 == 0 ? "\"Пост " : "Пост ") << i << (i % 7 == 0 ? "; цех\";" : ";");
        if (sources) out << 1 + i % sources << ';';
        out << brand << ';'
            << 50 + i % 900 << '.' << i % 100 << ';';
        if (i % 4 == 3) {
            out << ";;;" << 200 + i % 3000 << "\r\n";
        } else {
            out << 1 + i % 8 << ';' << i % 60 << ';' << 200 + i % 166 << ";\r\n";
        }
    }
    return path;
}

int RunBatch(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    return BatchMain(args, {out, err});
}

// Rows per second of a summary without reports, on one thread and on two.
void SummaryOnly(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const fs::path input = Stations(rows);
    const fs::path summary = WorkDir() / "summary-only.csv";
    const std::string jobs = "--jobs=" + std::to_string(state.range(1));
    for (auto _ : state) {
        const int code = RunBatch({input.string(), "--summary", summary.string(), "--summary-only", "--quiet",
                                   "--decimal-separator=,", jobs});
        if (code != 0) state.SkipWithError("batch failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SummaryOnly)
    ->ArgNames({"rows", "jobs"})
    ->Args({200000, 1})
    ->Args({200000, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The whole batch with report files against plain writes of the same bytes
// under the same names (no computation, no temporary file, no rename). The
// file system's speed at creating and dropping files swings a lot on a shared
// machine, so the two take turns in each iteration and see the same state;
// the time shown is the batch's, `vs_plain` the ratio of the two totals.
//
// The files go either into a new folder each time (a first batch into an
// output folder: every file is new) or over those of the time before (a
// batch run again: every file is replaced). The second argument picks.
enum Target { kNewFolder = 0, kReplace = 1 };

fs::path ReportFolder(const benchmark::State& state, std::string_view writer, std::size_t iteration) {
    const std::string mode = state.range(1) == kNewFolder ? "new-" + std::to_string(iteration) : "replace";
    return WorkDir() / ("reports-" + std::string(writer) + "-" + mode);
}

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ReportsAgainstPlainWrites(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const fs::path input = Stations(rows);
    const std::vector<std::string> args{input.string(), "-o", "", "--quiet", "--decimal-separator=,"};

    // The bytes the batch writes, read back once.
    const fs::path made = WorkDir() / "reports-made";
    RunBatch({input.string(), "-o", made.string(), "--quiet", "--decimal-separator=,"});
    std::vector<std::pair<fs::path, std::string>> files;
    for (const auto& entry : fs::directory_iterator(made)) {
        if (entry.path().extension() != ".htm") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(entry.path().filename(), std::string(std::istreambuf_iterator<char>(in), {}));
    }
    if (files.size() != rows) state.SkipWithError("reports missing");

    double batchTotal = 0, plainTotal = 0;
    std::size_t iteration = 0;
    for (auto _ : state) {
        const fs::path batchOut = ReportFolder(state, "batch", iteration);
        const fs::path plainOut = ReportFolder(state, "plain", iteration++);
        const double batch = SecondsOf([&] {
            if (RunBatch({input.string(), "-o", batchOut.string(), "--quiet", "--decimal-separator=,"}) != 0) {
                state.SkipWithError("batch failed");
            }
        });
        plainTotal += SecondsOf([&] {
            fs::create_directories(plainOut);
            for (const auto& [name, bytes] : files) {
                std::FILE* file = std::fopen((plainOut / name).c_str(), "wb");
                std::fwrite(bytes.data(), 1, bytes.size(), file);
                std::fclose(file);
            }
        });
        batchTotal += batch;
        state.SetIterationTime(batch);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["vs_plain"] = plainTotal > 0 ? batchTotal / plainTotal : 0;
}
BENCHMARK(ReportsAgainstPlainWrites)
    ->Args({2000, kNewFolder})
    ->Args({2000, kReplace})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// What the table of sources of air pollution adds to a batch of 10,000 posts
// in 100 sources, each with its parameters (N and η), against the same posts
// without the column: the two take turns in each iteration; the time shown is
// the batch with the table, `vs_without` the ratio of the two totals.
void PollutionSourcesAdded(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    constexpr std::size_t kSources = 100;
    const fs::path plain = Stations(rows), assigned = Stations(rows, kSources);
    const fs::path parameters = WorkDir() / "pollution-source-parameters.csv";
    {
        std::ofstream out(parameters, std::ios::binary);
        out << "pollution_source;name;simultaneous;cleaning_0143;cleaning_0123\r\n";
        for (std::size_t i = 1; i <= kSources; ++i) {
            out << i << ";Труба " << i << ';' << 1 + i % 3 << ";37,5;" << i % 90 << "\r\n";
        }
    }
    const fs::path summary = WorkDir() / "sources-summary.csv";
    double withTotal = 0, withoutTotal = 0;
    for (auto _ : state) {
        withoutTotal += SecondsOf([&] {
            if (RunBatch({plain.string(), "--summary", summary.string(), "--summary-only", "--quiet", "-j1"}) != 0) {
                state.SkipWithError("batch failed");
            }
        });
        const double with = SecondsOf([&] {
            if (RunBatch({assigned.string(), "--summary", summary.string(), "--summary-only", "--quiet", "-j1",
                          "--pollution-sources", parameters.string()}) != 0) {
                state.SkipWithError("batch failed");
            }
        });
        withTotal += with;
        state.SetIterationTime(with);
    }
    state.counters["vs_without"] = withoutTotal > 0 ? withTotal / withoutTotal : 0;
}
BENCHMARK(PollutionSourcesAdded)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same in memory, as the page imports a file: 10,000 posts read and
// computed (second argument 0), with the table made too (1), and also written
// as CSV (2), as a download would. No file is written, so no disk sync is in
// the figures.
void ImportWithSourceTable(benchmark::State& state) {
    const fs::path input = Stations(static_cast<std::size_t>(state.range(0)), 100);
    for (auto _ : state) {
        korvel::StationsTable table(input);
        korvel::PollutionSourceBuilder sources({});
        korvel::StationRow row;
        while (table.Next(row)) {
            const korvel::StationOutcome outcome = korvel::RunStation(row.typed, ',', nullptr);
            if (state.range(1) > 0) sources.Add(row.number, row.typed, outcome);
        }
        if (state.range(1) == 0) continue;
        const korvel::PollutionSourceTable made = sources.Finish();
        if (state.range(1) == 2) benchmark::DoNotOptimize(korvel::PollutionSourcesCsv(made, ','));
    }
}
BENCHMARK(ImportWithSourceTable)
    ->ArgNames({"rows", "table"})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({10000, 2})
    ->Unit(benchmark::kMillisecond);

// A "Vm...:" figure of this process, in KiB.
long StatusKiB(std::string_view key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(key)) return std::stol(line.substr(key.size()));
    }
    return -1;
}

// How much the peak resident memory rises over a whole batch: the peak is
// reset to the present size first, so the figure is what the batch adds. It
// should not grow with the rows, for a CSV summary (second argument 0) and an
// XLSX one (1).
void PeakMemory(benchmark::State& state) {
    const fs::path input = Stations(static_cast<std::size_t>(state.range(0)));
    const fs::path summary = WorkDir() / (state.range(1) == 0 ? "memory.csv" : "memory.xlsx");
    long addedKiB = -1;
    for (auto _ : state) {
        std::ofstream("/proc/self/clear_refs") << "5" << std::flush;
        const long before = StatusKiB("VmRSS:");
        if (RunBatch({input.string(), "--summary", summary.string(), "--summary-only", "--quiet"}) != 0) {
            state.SkipWithError("batch failed");
        }
        addedKiB = StatusKiB("VmHWM:") - before;
    }
    state.counters["peak_added_KiB"] = static_cast<double>(addedKiB);
}
BENCHMARK(PeakMemory)
    ->ArgNames({"rows", "xlsx"})
    ->Args({10000, 0})
    ->Args({200000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(WorkDir());
}
