// SPDX-License-Identifier: GPL-3.0-or-later
// What the pages and their WebAssembly modules exchange: records, plain C
// calls instead of generated bindings (a glue that converts every value costs
// a page more start-up than the whole rest of its script). web/record.js reads
// and writes them on the page's side.
//
// A record is a run of fields, each a 32-bit little-endian byte count and its
// bytes (UTF-8 texts, or a file's bytes); the count 0xFFFFFFFF is a field that
// is absent (null on the page's side).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::web {

class RecordWriter {
public:
    RecordWriter& Text(std::string_view bytes);
    RecordWriter& Optional(const std::optional<std::string>& text) { return text ? Text(*text) : Absent(); }
    RecordWriter& Flag(bool flag) { return Text(flag ? "1" : ""); }
    RecordWriter& Number(std::size_t number) { return Text(std::to_string(number)); }
    RecordWriter& Absent();
    std::string Take() { return std::move(bytes_); }

private:
    void Count(std::uint32_t count);
    std::string bytes_;
};

class RecordReader {
public:
    RecordReader(const char* bytes, std::size_t size) : rest_(bytes, size) {}
    // The next field; an absent or missing one reads as empty.
    std::string Text();
    // The next field as a whole number; 0 when it is none.
    std::size_t Number();

private:
    std::string_view rest_;
};

// Keeps `record` as the call's answer until the next call, which the page
// copies out before it (korvel_answer_size gives its size).
const char* Answer(RecordWriter& record);

}  // namespace korvel::web
