// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/record.h"

#include <emscripten/emscripten.h>

#include <cstdlib>

namespace korvel::web {

namespace {

std::string answer;

}  // namespace

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
