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

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::web {

inline constexpr std::uint32_t kAbsentField = 0xFFFFFFFF;

class RecordWriter {
public:
    RecordWriter& Text(std::string_view bytes) {
        Count(static_cast<std::uint32_t>(bytes.size()));
        bytes_.append(bytes);
        return *this;
    }
    RecordWriter& Optional(const std::optional<std::string>& text) { return text ? Text(*text) : Absent(); }
    RecordWriter& Flag(bool flag) { return Text(flag ? "1" : ""); }
    RecordWriter& Number(std::size_t number) { return Text(std::to_string(number)); }
    RecordWriter& Absent() {
        Count(kAbsentField);
        return *this;
    }
    std::string Take() { return std::move(bytes_); }

private:
    void Count(std::uint32_t count) {
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<char>((count >> shift) & 0xFF));
    }
    std::string bytes_;
};

class RecordReader {
public:
    RecordReader(const char* bytes, std::size_t size) : rest_(bytes, size) {}
    // The next field; an absent or missing one reads as empty.
    std::string Text() {
        if (rest_.size() < 4) return {};
        std::uint32_t count = 0;
        for (int i = 3; i >= 0; --i) count = (count << 8) | static_cast<unsigned char>(rest_[static_cast<std::size_t>(i)]);
        rest_.remove_prefix(4);
        if (count == kAbsentField || count > rest_.size()) return {};
        std::string text(rest_.substr(0, count));
        rest_.remove_prefix(count);
        return text;
    }
    // The next field as a whole number; 0 when it is none.
    std::size_t Number() {
        const std::string text = Text();
        std::size_t number = 0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        return number;
    }

private:
    std::string_view rest_;
};

// Keeps `record` as the call's answer until the next call, which the page
// copies out before it (korvel_answer_size gives its size).
const char* Answer(RecordWriter& record);

}  // namespace korvel::web
