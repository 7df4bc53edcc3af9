// SPDX-License-Identifier: GPL-3.0-or-later
// Sources of air pollution (ИЗА): the posts grouped by the stack or vent they
// release through, and what each source emits after gas cleaning. The table
// of an enterprise's inventory, as korvel-batch writes it and the page shows
// it:
//   M of a source = (Σ M of its posts) × (1 − η/100);
//   G of a source = (the sum of its N largest G) × (1 − η/100),
// N being the posts that can weld at once (blank: all of them). Only posts
// whose run is ok enter the sums; the others are named in the source's status.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/substances.h"
#include "sheets/csv_reader.h"
#include "sheets/station_run.h"
#include "sheets/stations_table.h"

namespace korvel {

// An ИЗА number is 1 to 4 digits (0001 a stack, 6001 an unorganised source).
inline constexpr std::size_t kPollutionSourceDigits = 4;
inline constexpr std::size_t kPollutionSourceNumbers = 10000;
inline constexpr std::string_view kUnassignedPosts = "не отнесены к ИЗА";
inline constexpr std::string_view kPollutionSourcesFile = "pollution_sources.csv";
inline constexpr std::string_view kPollutionSourcesSheet = "Источники загрязнения";

// The number a post's or a parameter line's text names: its value, so that
// "1" and "0001" are one source; blanks around it dropped. Nothing for a blank
// text, kNotANumber for one that is not 1 to 4 digits.
inline constexpr int kNotANumber = -1;
std::optional<int> PollutionSourceKey(std::string_view text);
// The text is blank or a number; else the row's status says why.
inline bool PollutionSourceNumber(std::string_view text) { return PollutionSourceKey(text) != kNotANumber; }
std::string PollutionSourceNumberFault(std::string_view text);

// The parameters of one ИЗА as typed.
struct PollutionSourceParameters {
    std::string number;
    std::string name;
    std::string simultaneous;                          // N; blank: all of its posts
    std::array<std::string, kSubstanceCount> cleaning;  // η, %, of each substance in catalogue order; blank: 0
    std::size_t line = 0;                              // the file line, for messages
    std::size_t simultaneousColumn = 0;                // N's field in the file from 1; 0: none
};

// The columns of a parameters file, in this order: pollution_source, name,
// simultaneous, then cleaning_<code> of each substance.
std::vector<std::string> PollutionSourceParameterColumns();

// What a parameter's text means, or why it means nothing: `field` is the
// column (of PollutionSourceParameterColumns), `message` the fault.
struct ParameterFault {
    std::size_t field;
    std::string message;
};
struct ReadParameters {
    int key = 0;
    std::optional<std::size_t> simultaneous;  // nothing: all
    std::array<double, kSubstanceCount> cleaning{};
};
// Checks every text but N against the source's posts, which only the table knows.
std::optional<ParameterFault> ReadParameterTexts(const PollutionSourceParameters& typed, ReadParameters& read);

// One line of the table: an ИЗА, or the posts of none.
struct PollutionSourceLine {
    bool assigned = true;      // false: the posts of no source
    std::string number;        // as the parameters or the first post typed it
    std::string name;
    std::size_t posts = 0;     // every post that names it, failed ones included
    std::size_t simultaneous = 0;  // N as applied (all posts when blank); 0 for an unused ИЗА without N
    std::vector<std::size_t> failedRows;  // the rows whose run is not ok
    std::array<double, kSubstanceCount> gRelease{}, mRelease{};  // before cleaning
    std::array<double, kSubstanceCount> cleaning{};              // η, %
    std::array<double, kSubstanceCount> g{}, m{};                // after cleaning

    bool Used() const { return posts > 0; }
    // "ok", "ошибки в строках 3, 7", or that no post uses it.
    std::string Status() const;
};

struct PollutionSourceTable {
    std::vector<PollutionSourceLine> sources;  // by number
    PollutionSourceLine unassigned;
    std::array<double, kSubstanceCount> mReleaseTotal{}, mTotal{};  // over all of the above

    // A row names a source, or parameters are given: the table has something to say.
    bool Wanted() const { return !sources.empty(); }
};

// Gathers the posts in row order, then makes the table.
class PollutionSourceBuilder {
public:
    // Parameters that ReadParameterTexts accepts, no number twice.
    explicit PollutionSourceBuilder(const std::vector<PollutionSourceParameters>& parameters);
    // The same, each already read as `read` says (ReadParameterTexts), in their order.
    PollutionSourceBuilder(const std::vector<PollutionSourceParameters>& parameters,
                           const std::vector<ReadParameters>& read);

    // The data row `row` (as the summary numbers it) with its texts and run.
    void Add(std::size_t row, const StationInputs& typed, const StationOutcome& outcome);
    // The posts that name each source's number so far.
    std::size_t PostsOf(int key) const;

    PollutionSourceTable Finish() const;

private:
    struct Source {
        std::string number, name;
        std::optional<std::size_t> simultaneous;
        std::array<double, kSubstanceCount> cleaning{};
        std::size_t posts = 0;
        std::vector<std::size_t> failedRows;
        std::array<double, kSubstanceCount> mSum{};  // in row order, as the summary's totals
        // G of each ok post of an ИЗА; the posts of none are summed as they come, so
        // that a table without sources keeps no post.
        std::vector<std::array<double, kSubstanceCount>> okG;
        std::array<double, kSubstanceCount> gSum{};
    };
    Source& NewSource(std::size_t& at, std::string_view number);
    static PollutionSourceLine Line(const Source& source, bool assigned);

    std::vector<std::size_t> index_;  // of each number in sources_
    std::vector<Source> sources_;
    Source unassigned_;
};

// A parameters file (CSV, as the stations table is read: delimiter from the
// header, quotes, UTF-8): every line's texts, each checked with
// ReadParameterTexts and no number twice. Throws StationsError with the
// file line and column.
std::vector<PollutionSourceParameters> ReadPollutionSourceFile(const std::filesystem::path& path);

// N of each parameter line checked against the posts of its number
// (`postsOf`) (the line's N above them is a fault); a line whose number no post
// uses gives a warning, one text each. Throws StationsError naming `fileName`
// with the line and column.
std::vector<std::string> CheckPollutionSourcePosts(const std::vector<PollutionSourceParameters>& parameters,
                                                   const std::function<std::size_t(int)>& postsOf,
                                                   std::string_view fileName);
// Why N typed as `simultaneous` cannot be applied to a source of `posts` posts.
std::string SimultaneousAbovePosts(std::string_view simultaneous, std::size_t posts);

// A header of a table of parameters: it names pollution_source and not source.
bool IsPollutionSourceHeader(const CsvRecord& header);
// The lines of a table of parameters from `source`, whose header was read as
// `header`, named `name` in messages. `strict`: every text is checked with
// ReadParameterTexts (ReadPollutionSourceFile), else only the numbers, the
// other texts kept as typed (ReadPollutionSourceTexts). A workbook's number
// cell of η is written with `separator`, as typed. Throws StationsError with
// the line and column.
std::vector<PollutionSourceParameters> ReadPollutionSourceRecords(RecordSource& source, const CsvRecord& header,
                                                                  std::string_view name, bool strict, char separator);

// The parameters as a file that ReadPollutionSourceTexts reads back as typed:
// as StationsCsv writes the rows, the header first.
std::string PollutionSourceParametersCsv(const std::vector<PollutionSourceParameters>& parameters, char separator);
// Every line's texts as typed, as the table keeps them (a value that cannot
// be applied is the source's status there). Throws StationsError naming
// `name`, the line and the column, as ReadPollutionSourceFile does, for a
// file that is not such a table, a line without a number or one given before.
std::vector<PollutionSourceParameters> ReadPollutionSourceTexts(std::istream& in, std::string_view name);
// A CSV whose header names pollution_source and not source: parameters, not posts.
bool IsPollutionSourceFile(std::string_view bytes);

// The rules above, in words, for a table that people read.
std::vector<std::string> PollutionSourceRules();

// The table's columns: pollution_source, name, posts, simultaneous, status,
// code, substance, g_release_g_s, m_release_t_year, cleaning_percent, g_g_s,
// m_t_year.
std::vector<std::string_view> PollutionSourceColumns();

// The lines of the table, one per source and substance whose release is not
// 0 (a source with none gets one line without a substance), the posts of no
// source, then the totals of M per substance. A cell is a text, or a number
// of a kind (a count, a G, another amount), or empty.
struct PollutionSourceCell {
    enum class Kind { Empty, Text, Count, G, Amount };
    Kind kind = Kind::Empty;
    std::string text;
    double number = 0;
};
struct PollutionSourceRow {
    bool totals = false;
    std::array<PollutionSourceCell, 12> cells;
};
std::vector<PollutionSourceRow> PollutionSourceRows(const PollutionSourceTable& table);
// A cell as pollution_sources.csv and the print write it.
std::string PollutionSourceCellText(const PollutionSourceCell& cell, char separator);

// pollution_sources.csv: as summary.csv is written for `separator` (the
// delimiter that goes with it, a byte-order mark, CR LF), the header first.
std::string PollutionSourcesCsv(const PollutionSourceTable& table, char separator);

}  // namespace korvel
