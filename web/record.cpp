// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/record.h"

#include <emscripten/emscripten.h>

#include <charconv>
#include <cstdlib>

namespace korvel::web {

namespace {

constexpr std::uint32_t kAbsent = 0xFFFFFFFF;

std::string answer;

}  // namespace

RecordWriter& RecordWriter::Text(std::string_view bytes) {
    Count(static_cast<std::uint32_t>(bytes.size()));
    bytes_.append(bytes);
    return *this;
}

RecordWriter& RecordWriter::Absent() {
    Count(kAbsent);
    return *this;
}

void RecordWriter::Count(std::uint32_t count) {
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<char>((count >> shift) & 0xFF));
}

std::string RecordReader::Text() {
    if (rest_.size() < 4) return {};
    std::uint32_t count = 0;
    for (int i = 3; i >= 0; --i) count = (count << 8) | static_cast<unsigned char>(rest_[static_cast<std::size_t>(i)]);
    rest_.remove_prefix(4);
    if (count == kAbsent || count > rest_.size()) return {};
    std::string text(rest_.substr(0, count));
    rest_.remove_prefix(count);
    return text;
}

std::size_t RecordReader::Number() {
    const std::string text = Text();
    std::size_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

const char* Answer(RecordWriter& record) {
    answer = record.Take();
    return answer.data();
}

}  // namespace korvel::web

extern "C" {

// Room for a record the page writes; the page frees it.
EMSCRIPTEN_KEEPALIVE char* korvel_alloc(std::size_t size) { return static_cast<char*>(std::malloc(size)); }
EMSCRIPTEN_KEEPALIVE void korvel_free(char* bytes) { std::free(bytes); }

// The size of the record the last call returned.
EMSCRIPTEN_KEEPALIVE std::size_t korvel_answer_size() { return korvel::web::answer.size(); }

}  // extern "C"
