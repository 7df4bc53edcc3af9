// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the report: building the document in memory, and putting it on
// disk by temporary file and rename next to a plain overwrite of the same
// bytes (neither syncs to the device).
#include <benchmark/benchmark.h>
#include <cstdlib>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "calc/run.h"
#include "report/report_document.h"
#include "report/report_file.h"
#include "support/worked_example.h"

namespace {

using namespace korvel;

RunOutcome WorkedExample(bool perYear) { return Calculate(testing::WorkedExample(perYear), ','); }

void BuildReportInMemory(benchmark::State& state) {
    const RunOutcome calc = WorkedExample(state.range(0) != 0);
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string report = BuildReport(calc.inputs, calc.results, ',');
        bytes = report.size();
        benchmark::DoNotOptimize(report);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BuildReportInMemory)->ArgName("perYear")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A scratch folder for the file benchmarks, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteByTemporaryAndRename(benchmark::State& state) {
    const RunOutcome calc = WorkedExample(false);
    const std::string report = BuildReport(calc.inputs, calc.results, ',');
    ScratchFolder folder;
    const auto path = folder.Path() / "korvel.htm";
    for (auto _ : state) ReplaceFile(path, report);
}
BENCHMARK(WriteByTemporaryAndRename)->Unit(benchmark::kMicrosecond);

// What a writer that truncates the report in place costs, for comparison.
void WritePlainOverwrite(benchmark::State& state) {
    const RunOutcome calc = WorkedExample(false);
    const std::string report = BuildReport(calc.inputs, calc.results, ',');
    ScratchFolder folder;
    const auto path = folder.Path() / "korvel.htm";
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            state.SkipWithError("cannot open");
            break;
        }
        std::fwrite(report.data(), 1, report.size(), file);
        std::fclose(file);
    }
}
BENCHMARK(WritePlainOverwrite)->Unit(benchmark::kMicrosecond);

}  // namespace
