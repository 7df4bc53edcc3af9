// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a korvel-batch input file: the reader either gives
// records of valid UTF-8 or reports bad input, and never crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "sheets/csv_reader.h"
#include "report/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        korvel::CsvReader reader(in);
        korvel::CsvRecord record;
        if (!reader.ReadHeader(record)) return 0;
        while (reader.Next(record)) {
            for (const std::string& field : record.fields)
                if (korvel::FindInvalidUtf8(field) != std::string::npos) std::abort();
        }
    } catch (const korvel::CsvError&) {
    }
    return 0;
}
