// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the calculation core: one whole run on the worked example, and the
// number-to-text rule that every result and report number goes through.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "calc/number_rules.h"
#include "calc/run.h"
#include "support/worked_example.h"

namespace {

using namespace korvel;

void WholeRunOnTheWorkedExample(benchmark::State& state) {
    const RunInputs typed = testing::WorkedExample();
    for (auto _ : state) {
        RunOutcome outcome = Calculate(typed, ',');
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(WholeRunOnTheWorkedExample);

void NumberTextPerValue(benchmark::State& state) {
    const std::array<double, 8> values{0.000184, 0.0035277, 4500, 1807200, 0.9, 1.0 / 3.0, 9.2e-06, -2.5};
    std::size_t i = 0;
    for (auto _ : state) {
        std::string text = NumberText(values[i++ & 7], ',');
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(NumberTextPerValue);

}  // namespace
