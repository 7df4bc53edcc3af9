// SPDX-License-Identifier: GPL-3.0-or-later
// What the page calls: one calculation run from the typed texts. Plain C
// functions exchanging
// records (web/record.js reads and writes them on the page's side): a glue
// that converts every value costs the page more start-up than the whole rest
// of its script.
//
// A record is a run of fields, each a 32-bit little-endian byte count and its
// bytes (UTF-8 texts, or the report's Windows-1251 bytes); the count
// 0xFFFFFFFF is a field that is absent (null on the page's side).
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "calc/closing_step.h"
#include "calc/run.h"
#include "forms/form1_layout.h"
#include "report/report_document.h"
#include "sheets/totals.h"

namespace korvel {
namespace {

constexpr std::uint32_t kAbsent = 0xFFFFFFFF;

class RecordWriter {
public:
    RecordWriter& Text(std::string_view bytes) {
        Count(static_cast<std::uint32_t>(bytes.size()));
        bytes_.append(bytes);
        return *this;
    }
    RecordWriter& Optional(const std::optional<std::string>& text) { return text ? Text(*text) : Absent(); }
    RecordWriter& Flag(bool flag) { return Text(flag ? "1" : ""); }
    RecordWriter& Number(int number) { return Text(std::to_string(number)); }
    RecordWriter& Absent() {
        Count(kAbsent);
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
        if (count == kAbsent || count > rest_.size()) return {};
        std::string text(rest_.substr(0, count));
        rest_.remove_prefix(count);
        return text;
    }

private:
    std::string_view rest_;
};

// The last answer, which the page copies out before its next call.
std::string answer;

const char* Answer(RecordWriter& record) {
    answer = record.Take();
    return answer.data();
}

}  // namespace
}  // namespace korvel

extern "C" {

// Room for a record the page writes; the page frees it.
EMSCRIPTEN_KEEPALIVE char* korvel_alloc(std::size_t size) { return static_cast<char*>(std::malloc(size)); }
EMSCRIPTEN_KEEPALIVE void korvel_free(char* bytes) { std::free(bytes); }

// The size of the record the last call returned.
EMSCRIPTEN_KEEPALIVE std::size_t korvel_answer_size() { return korvel::answer.size(); }

// typed: the separator, then the name and value of each input control
// (a check box's value is "1" when it is ticked).
// Returns: the number of messages, the messages, dailyConsumptionText,
// weldingSecondsText, failureText, closingDailyConsumption,
// closingWeldingTime, showsReport, report, totalsCsv. The result texts as
// the run wrote them and as its closing step leaves them are absent where a
// field keeps its text; report and totalsCsv for a run that stopped with a
// failure.
EMSCRIPTEN_KEEPALIVE const char* korvel_calculate(const char* typed, std::size_t size) {
    using namespace korvel;
    RecordReader in(typed, size);
    const char sep = in.Text() == "." ? '.' : ',';
    std::map<std::string, std::string, std::less<>> values;
    for (std::string name = in.Text(); !name.empty(); name = in.Text()) values[name] = in.Text();
    const auto value = [&](const form1::ControlLayout& c) {
        const auto found = values.find(c.name);
        return found == values.end() ? std::string() : found->second;
    };
    const RunOutcome outcome =
        Calculate(form1::ReadInputs(value, [&](const form1::ControlLayout& c) { return value(c) == "1"; }), sep);

    RecordWriter out;
    out.Number(static_cast<int>(outcome.messages.size()));
    for (const std::string_view message : outcome.messages) out.Text(message);
    out.Optional(outcome.dailyConsumptionText).Optional(outcome.weldingSecondsText);
    out.Optional(outcome.failure ? std::optional(ErrorText(*outcome.failure)) : std::nullopt);
    const RunEnd end = CloseRun(outcome);
    out.Optional(end.dailyConsumption).Optional(end.weldingTime).Flag(end.showsReport);
    const bool built = outcome.ReportDue();
    if (built) {
        out.Text(BuildReport(outcome.inputs, outcome.results, sep)).Text(TotalsCsv(outcome.inputs, outcome.results, sep));
    } else {
        out.Absent().Absent();
    }
    return Answer(out);
}

}  // extern "C"
