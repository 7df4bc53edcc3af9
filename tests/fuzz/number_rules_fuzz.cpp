// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary text through the reading rules, and arbitrary doubles through the
// writing rule: nothing may crash, and every text NumberText writes must read
// back, under the same separator, as a number that writes the same text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/number_rules.h"

namespace {

// From here up, the 15-digit text lies beyond the largest double and reads
// back as an overflow.
constexpr double kRoundsBeyondTheRange = 1.797693134862315e308;

void CheckRoundTrip(double value, char separator) {
    const std::string text = korvel::NumberText(value, separator);
    if (!std::isfinite(value)) return;
    try {
        if (korvel::NumberText(korvel::ToNumber(text, separator), separator) != text) std::abort();
    } catch (const korvel::FatalError& error) {
        if (error.Code() != korvel::FatalError::kOverflow || std::fabs(value) < kRoundsBeyondTheRange) std::abort();
    }
}

void ReadText(std::string_view text, char separator) {
    try {
        CheckRoundTrip(korvel::LeadingNumber(text), separator);
    } catch (const korvel::FatalError& error) {
        if (error.Code() != korvel::FatalError::kOverflow) std::abort();
    }
    try {
        CheckRoundTrip(korvel::ToNumber(text, separator), separator);
    } catch (const korvel::FatalError& error) {
        if (error.Code() != korvel::FatalError::kOverflow && error.Code() != korvel::FatalError::kTypeMismatch)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = (data[0] & 1) != 0 ? ',' : '.';
    ReadText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), separator);
    if (size >= 1 + sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data + 1, sizeof value);
        CheckRoundTrip(value, separator);
    }
    return 0;
}
