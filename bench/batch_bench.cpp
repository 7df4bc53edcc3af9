// Speed and memory of korvel-batch: rows per second with and without report
// files, the report files against plain writes of the same bytes, and the
// peak memory of a batch as the input grows (it should not grow with it).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_main.h"
#include "batch/file_names.h"
#include "calc/substances.h"

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
fs::path Stations(std::size_t rows) {
    const fs::path path = WorkDir() / ("stations-" + std::to_string(rows) + ".csv");
    if (fs::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    out << "source;brand;consumption;hours;minutes;days;hours_per_year\r\n";
    for (std::size_t i = 0; i < rows; ++i) {
        const auto& brand = korvel::BrandTable[i % korvel::kBrandCount].name;
        out << (i % 7 == 0 ? "\"Пост " : "Пост ") << i << (i % 7 == 0 ? "; цех\";" : ";") << brand << ';'
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

void SummaryOnly(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const fs::path input = Stations(rows);
    const fs::path summary = WorkDir() / "summary-only.csv";
    for (auto _ : state) {
        const int code = RunBatch(
            {input.string(), "--summary", summary.string(), "--summary-only", "--quiet", "--decimal-separator=,"});
        if (code != 0) state.SkipWithError("batch failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SummaryOnly)->Arg(20000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Both report benchmarks write into an emptied folder each time, so that
// neither replaces files of the iteration before.
void EmptyFolder(benchmark::State& state, const fs::path& dir) {
    state.PauseTiming();
    fs::remove_all(dir);
    fs::create_directories(dir);
    ::sync();
    state.ResumeTiming();
}

void WithReports(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const fs::path input = Stations(rows);
    const fs::path out = WorkDir() / "reports";
    for (auto _ : state) {
        EmptyFolder(state, out);
        const int code = RunBatch({input.string(), "-o", out.string(), "--quiet", "--decimal-separator=,"});
        if (code != 0) state.SkipWithError("batch failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WithReports)->Arg(2000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same report bytes to the same names, written straight with no
// computation, no temporary file and no rename: the floor for WithReports.
void PlainWritesOfTheSameBytes(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const fs::path out = WorkDir() / "reports";
    RunBatch({Stations(rows).string(), "-o", out.string(), "--quiet", "--decimal-separator=,"});
    std::vector<std::pair<fs::path, std::string>> files;
    for (const auto& entry : fs::directory_iterator(out)) {
        if (entry.path().extension() != ".htm") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(entry.path(), std::string(std::istreambuf_iterator<char>(in), {}));
    }
    if (files.size() != rows) state.SkipWithError("reports missing");
    for (auto _ : state) {
        EmptyFolder(state, out);
        for (const auto& [path, bytes] : files) {
            std::FILE* file = std::fopen(path.c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PlainWritesOfTheSameBytes)->Arg(2000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Peak resident memory of a whole batch in a child process, so that each
// input size is measured on its own.
void PeakMemory(benchmark::State& state) {
    const fs::path input = Stations(static_cast<std::size_t>(state.range(0)));
    const fs::path summary = WorkDir() / "memory.csv";
    long peakKiB = 0;
    for (auto _ : state) {
        const pid_t child = ::fork();
        if (child == 0) {
            const int code = RunBatch({input.string(), "--summary", summary.string(), "--summary-only", "--quiet"});
            ::_exit(code);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("batch failed");
        peakKiB = usage.ru_maxrss;
    }
    state.counters["maxRSS_KiB"] = static_cast<double>(peakKiB);
}
BENCHMARK(PeakMemory)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(WorkDir());
}
