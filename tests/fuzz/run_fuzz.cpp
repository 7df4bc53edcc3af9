// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes typed into every field, then the whole calculation and the
// report it leads to: nothing may crash, and a run either stops with one of
// the number rules' codes or completes with a report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calc/run.h"
#include "report/report_document.h"

namespace {

// The fields are the input's pieces between zero bytes, in RunInputs order.
korvel::RunInputs Fields(std::string_view bytes) {
    korvel::RunInputs in;
    std::string* fields[] = {&in.brand,       &in.yearlyConsumption, &in.hours,       &in.minutes,
                             &in.workingDays, &in.sourceName,        &in.hoursPerYear};
    std::size_t field = 0;
    for (const char c : bytes) {
        if (c == '\0' && field + 1 < std::size(fields)) {
            ++field;
        } else {
            fields[field]->push_back(c);
        }
    }
    return in;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    korvel::RunInputs typed = Fields(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    typed.perYearMode = (data[0] & 1) != 0;
    const char separator = (data[0] & 2) != 0 ? ',' : '.';
    const korvel::RunOutcome outcome = korvel::Calculate(typed, separator);
    if (outcome.failure) {
        const int code = outcome.failure->Code();
        if (code != 6 && code != 11 && code != 13) std::abort();
        return 0;
    }
    if (korvel::BuildReport(outcome.inputs, outcome.results, separator).empty()) std::abort();
    return 0;
}
