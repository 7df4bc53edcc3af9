// Speed of the calculation core: one whole run on the worked example, and the
// number-to-text rule that every result and report number goes through.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "calc/number_rules.h"
#include "calc/run.h"

namespace {

using namespace korvel;

// The input window's default texts with the first brand picked.
class DefaultWindow : public FieldSource, public RunFeedback {
public:
    int CheckValue() const override { return 0; }
    std::string Text(Control control) const override { return texts_[static_cast<std::size_t>(control)]; }
    void SetText(Control control, std::string_view text) override {
        texts_[static_cast<std::size_t>(control)].assign(text);
    }
    void ShowMessage(std::string_view) override {}
    void ShowError(const FatalError&) override {}

private:
    std::array<std::string, 9> texts_{"330.00", "1", "15", "365", "", "", "__________", "502", "УОНИ 13/45"};
};

void WholeRunOnTheWorkedExample(benchmark::State& state) {
    DefaultWindow window;
    for (auto _ : state) {
        Calculation calc = Calculate(window, window, ',');
        benchmark::DoNotOptimize(calc);
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
