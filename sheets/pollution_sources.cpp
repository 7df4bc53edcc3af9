// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/pollution_sources.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "calc/number_rules.h"
#include "sheets/csv.h"
#include "sheets/stations_table.h"
#include "sheets/summary.h"

namespace korvel {

namespace {

enum Field : std::size_t { kNumber, kName, kSimultaneous, kFirstCleaning };
enum Column : std::size_t {
    kSourceColumn, kNameColumn, kPostsColumn, kSimultaneousColumn, kStatusColumn, kCodeColumn, kSubstanceColumn,
    kGReleaseColumn, kMReleaseColumn, kCleaningColumn, kGColumn, kMColumn
};
constexpr std::size_t kNoSource = static_cast<std::size_t>(-1);
// A status names this many failed rows, then how many there are.
constexpr std::size_t kRowsNamed = 10;

// Read for every post at every edit: plain loops.
std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view text) { return "«" + std::string(text) + "»"; }

std::optional<std::string> ReadSimultaneous(std::string_view typed, std::optional<std::size_t>& n) {
    const std::string_view text = Trimmed(typed);
    n.reset();
    if (text.empty()) return std::nullopt;
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1) {
        return Quoted(typed) + ": число одновременно работающих постов - целое число от 1 до числа постов ИЗА";
    }
    n = value;
    return std::nullopt;
}

// Either decimal separator: the file may come from any spreadsheet. Read as
// the run reads its numbers.
std::optional<std::string> ReadCleaning(std::string_view typed, double& eta) {
    std::string text(Trimmed(typed));
    eta = 0;
    if (text.empty()) return std::nullopt;
    std::replace(text.begin(), text.end(), ',', '.');
    try {
        eta = ToNumber(text, '.');
    } catch (const FatalError&) {
        return Quoted(typed) + ": степень очистки - не число";
    }
    if (eta < 0 || eta > 100) return Quoted(typed) + ": степень очистки - от 0 до 100 %";
    return std::nullopt;
}

}  // namespace

std::optional<int> PollutionSourceKey(std::string_view typed) {
    const std::string_view text = Trimmed(typed);
    if (text.empty()) return std::nullopt;
    if (text.size() > kPollutionSourceDigits) return kNotANumber;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return kNotANumber;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string PollutionSourceNumberFault(std::string_view text) {
    return "pollution_source " + Quoted(text) + ": номер ИЗА - от 1 до 4 цифр (0001, 6001)";
}

std::vector<std::string> PollutionSourceParameterColumns() {
    std::vector<std::string> names{"pollution_source", "name", "simultaneous"};
    for (const Substance& s : SubstanceCatalogue) names.push_back("cleaning_" + std::string(s.code));
    return names;
}

std::optional<ParameterFault> ReadParameterTexts(const PollutionSourceParameters& typed, ReadParameters& read) {
    const std::optional<int> key = PollutionSourceKey(typed.number);
    if (!key) return ParameterFault{kNumber, "нет номера ИЗА"};
    if (*key == kNotANumber) return ParameterFault{kNumber, Quoted(typed.number) + ": номер ИЗА - от 1 до 4 цифр"};
    read.key = *key;
    if (auto fault = ReadSimultaneous(typed.simultaneous, read.simultaneous)) return ParameterFault{kSimultaneous, *fault};
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (auto fault = ReadCleaning(typed.cleaning[i], read.cleaning[i])) {
            return ParameterFault{kFirstCleaning + i, *fault};
        }
    }
    return std::nullopt;
}

std::string PollutionSourceLine::Status() const {
    if (assigned && !Used()) return "не используется: ни один пост не отнесен к этому ИЗА";
    if (failedRows.empty()) return std::string(kStatusOk);
    std::string status = failedRows.size() == 1 ? "ошибка в строке " : "ошибки в строках ";
    for (std::size_t i = 0; i < failedRows.size() && i < kRowsNamed; ++i) {
        status += (i == 0 ? "" : ", ") + std::to_string(failedRows[i]);
    }
    if (failedRows.size() > kRowsNamed) status += " и еще " + std::to_string(failedRows.size() - kRowsNamed);
    return status + "; эти посты не вошли в суммы";
}

namespace {

std::vector<ReadParameters> Checked(const std::vector<PollutionSourceParameters>& parameters) {
    std::vector<ReadParameters> read(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (ReadParameterTexts(parameters[i], read[i])) {
            throw std::invalid_argument("parameters not checked: " + parameters[i].number);
        }
    }
    return read;
}

}  // namespace

PollutionSourceBuilder::PollutionSourceBuilder(const std::vector<PollutionSourceParameters>& parameters)
    : PollutionSourceBuilder(parameters, Checked(parameters)) {}

PollutionSourceBuilder::PollutionSourceBuilder(const std::vector<PollutionSourceParameters>& parameters,
                                               const std::vector<ReadParameters>& read)
    : index_(kPollutionSourceNumbers, kNoSource) {
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        std::size_t& at = index_.at(static_cast<std::size_t>(read.at(i).key));
        if (at != kNoSource) throw std::invalid_argument("pollution source given twice: " + parameters[i].number);
        Source& source = NewSource(at, parameters[i].number);
        source.name = parameters[i].name;
        source.simultaneous = read[i].simultaneous;
        source.cleaning = read[i].cleaning;
    }
}

PollutionSourceBuilder::Source& PollutionSourceBuilder::NewSource(std::size_t& at, std::string_view number) {
    at = sources_.size();
    Source& source = sources_.emplace_back();
    source.number = Trimmed(number);
    return source;
}

void PollutionSourceBuilder::Add(std::size_t row, const StationInputs& typed, const StationOutcome& outcome) {
    const std::optional<int> key = PollutionSourceKey(typed.pollutionSource);
    Source* source = &unassigned_;
    if (key && *key != kNotANumber) {
        std::size_t& at = index_[static_cast<std::size_t>(*key)];
        source = at == kNoSource ? &NewSource(at, typed.pollutionSource) : &sources_[at];
    }
    ++source->posts;
    if (!outcome.ok) {
        source->failedRows.push_back(row);
        return;
    }
    for (std::size_t i = 0; i < kSubstanceCount; ++i) source->mSum[i] += outcome.results.grossEmission[i];
    if (source == &unassigned_) {
        for (std::size_t i = 0; i < kSubstanceCount; ++i) source->gSum[i] += outcome.results.maxEmission[i];
    } else {
        source->okG.push_back(outcome.results.maxEmission);
    }
}

std::size_t PollutionSourceBuilder::PostsOf(int key) const {
    const std::size_t at = index_.at(static_cast<std::size_t>(key));
    return at == kNoSource ? 0 : sources_[at].posts;
}

namespace {

// The sum of the `n` largest of the posts' G of substance `i`, added in row
// order as a spreadsheet's SUM adds them; of equal values at the threshold the
// first rows are taken.
double LargestSum(const std::vector<std::array<double, kSubstanceCount>>& posts, std::size_t i, std::size_t n,
                  std::vector<double>& scratch) {
    double sum = 0;
    if (n >= posts.size()) {
        for (const auto& post : posts) sum += post[i];
        return sum;
    }
    if (n == 0) return 0;
    scratch.resize(posts.size());
    std::transform(posts.begin(), posts.end(), scratch.begin(), [&](const auto& post) { return post[i]; });
    std::nth_element(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(n - 1), scratch.end(),
                     std::greater<>());
    const double threshold = scratch[n - 1];
    const auto above = static_cast<std::size_t>(
        std::count_if(scratch.begin(), scratch.end(), [&](double g) { return g > threshold; }));
    std::size_t ties = n - above;
    for (const auto& post : posts) {
        if (post[i] > threshold || (post[i] == threshold && ties > 0 && ties--)) sum += post[i];
    }
    return sum;
}

}  // namespace

PollutionSourceLine PollutionSourceBuilder::Line(const Source& source, bool assigned) {
    PollutionSourceLine line;
    line.assigned = assigned;
    line.number = source.number;
    line.name = source.name;
    line.posts = source.posts;
    line.failedRows = source.failedRows;
    line.simultaneous = source.simultaneous.value_or(source.posts);
    std::vector<double> scratch;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        line.mRelease[i] = source.mSum[i];
        line.gRelease[i] = assigned ? LargestSum(source.okG, i, line.simultaneous, scratch) : source.gSum[i];
        line.cleaning[i] = source.cleaning[i];
        const double passed = 1 - source.cleaning[i] / 100;
        line.g[i] = line.gRelease[i] * passed;
        line.m[i] = line.mRelease[i] * passed;
    }
    return line;
}

PollutionSourceTable PollutionSourceBuilder::Finish() const {
    PollutionSourceTable table;
    for (const std::size_t at : index_) {
        if (at != kNoSource) table.sources.push_back(Line(sources_[at], true));
    }
    table.unassigned = Line(unassigned_, false);
    table.unassigned.name = kUnassignedPosts;
    table.unassigned.simultaneous = 0;
    const auto add = [&](const PollutionSourceLine& line) {
        for (std::size_t i = 0; i < kSubstanceCount; ++i) {
            table.mReleaseTotal[i] += line.mRelease[i];
            table.mTotal[i] += line.m[i];
        }
    };
    for (const PollutionSourceLine& line : table.sources) add(line);
    add(table.unassigned);
    return table;
}

std::vector<std::string> PollutionSourceRules() {
    return {
        "Посты отнесены к источникам загрязнения атмосферы (ИЗА) по номеру в столбце pollution_source; посты без "
        "номера - в строке «не отнесены к ИЗА».",
        "M ИЗА по веществу = (сумма M его постов) × (1 − η/100); G ИЗА = (сумма N наибольших G его постов) × "
        "(1 − η/100).",
        "N - число постов ИЗА, работающих одновременно (не задано - все); η - степень очистки газа, %.",
        "В суммы входят только посты со статусом ok; строки постов с ошибками названы в статусе ИЗА.",
    };
}

std::vector<std::string_view> PollutionSourceColumns() {
    return {"pollution_source", "name",     "posts",            "simultaneous", "status", "code",
            "substance",        "g_release_g_s", "m_release_t_year", "cleaning_percent", "g_g_s", "m_t_year"};
}

namespace {

using Cell = PollutionSourceCell;
Cell TextCell(std::string text) { return {Cell::Kind::Text, std::move(text), 0}; }
Cell NumberCell(Cell::Kind kind, double value) { return {kind, {}, value}; }

PollutionSourceRow SourceColumns(const PollutionSourceLine& line) {
    PollutionSourceRow row;
    if (line.assigned) row.cells[kSourceColumn] = TextCell(line.number);
    row.cells[kNameColumn] = TextCell(line.name);
    row.cells[kPostsColumn] = NumberCell(Cell::Kind::Count, static_cast<double>(line.posts));
    if (line.simultaneous > 0) {
        row.cells[kSimultaneousColumn] = NumberCell(Cell::Kind::Count, static_cast<double>(line.simultaneous));
    }
    row.cells[kStatusColumn] = TextCell(line.Status());
    return row;
}

void SubstanceColumns(PollutionSourceRow& row, std::size_t i) {
    row.cells[kCodeColumn] = TextCell(std::string(SubstanceCatalogue[i].code));
    row.cells[kSubstanceColumn] = TextCell(std::string(SubstanceCatalogue[i].name));
}

void AddLines(std::vector<PollutionSourceRow>& rows, const PollutionSourceLine& line,
              std::array<bool, kSubstanceCount>& released) {
    const PollutionSourceRow common = SourceColumns(line);
    bool any = false;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (line.gRelease[i] == 0 && line.mRelease[i] == 0) continue;
        any = released[i] = true;
        PollutionSourceRow& row = rows.emplace_back(common);
        SubstanceColumns(row, i);
        row.cells[kGReleaseColumn] = NumberCell(Cell::Kind::G, line.gRelease[i]);
        row.cells[kMReleaseColumn] = NumberCell(Cell::Kind::Amount, line.mRelease[i]);
        row.cells[kCleaningColumn] = NumberCell(Cell::Kind::Amount, line.cleaning[i]);
        row.cells[kGColumn] = NumberCell(Cell::Kind::Amount, line.g[i]);
        row.cells[kMColumn] = NumberCell(Cell::Kind::Amount, line.m[i]);
    }
    if (!any) rows.push_back(common);
}

}  // namespace

std::vector<PollutionSourceRow> PollutionSourceRows(const PollutionSourceTable& table) {
    std::vector<PollutionSourceRow> rows;
    std::array<bool, kSubstanceCount> released{};
    for (const PollutionSourceLine& line : table.sources) AddLines(rows, line, released);
    if (table.unassigned.posts > 0) AddLines(rows, table.unassigned, released);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (!released[i]) continue;
        PollutionSourceRow& row = rows.emplace_back();
        row.totals = true;
        row.cells[kSourceColumn] = TextCell(std::string(kTotalsLabel));
        SubstanceColumns(row, i);
        row.cells[kMReleaseColumn] = NumberCell(Cell::Kind::Amount, table.mReleaseTotal[i]);
        row.cells[kMColumn] = NumberCell(Cell::Kind::Amount, table.mTotal[i]);
    }
    return rows;
}

std::string PollutionSourceCellText(const PollutionSourceCell& cell, char separator) {
    switch (cell.kind) {
        case Cell::Kind::Empty: return {};
        case Cell::Kind::Text: return cell.text;
        case Cell::Kind::Count: return NumberText(static_cast<std::int64_t>(cell.number));
        case Cell::Kind::G:
        case Cell::Kind::Amount: break;
    }
    return NumberText(cell.number, separator);
}

std::string PollutionSourcesCsv(const PollutionSourceTable& table, char separator) {
    const char delimiter = CsvDelimiter(separator);
    CsvLine header(delimiter);
    for (const std::string_view name : PollutionSourceColumns()) header.Text(name);
    std::string out = "\xEF\xBB\xBF" + std::move(header).Finish();
    for (const PollutionSourceRow& row : PollutionSourceRows(table)) {
        CsvLine line(delimiter);
        for (const Cell& cell : row.cells) {
            if (cell.kind == Cell::Kind::Text) {
                line.Text(cell.text);
            } else {
                line.Number(PollutionSourceCellText(cell, separator));
            }
        }
        out += std::move(line).Finish();
    }
    return out;
}

namespace {

std::string TwiceFault(std::string_view number, std::size_t line) {
    return "ИЗА " + Quoted(number) + " уже задан в строке файла " + std::to_string(line);
}

// One line of a parameters table, its texts taken from where the header put
// them; a workbook's number cell of η as if typed with `separator`.
PollutionSourceParameters ParametersOf(const CsvRecord& record, const std::vector<std::optional<std::size_t>>& at,
                                       const RecordSource& source, char separator) {
    PollutionSourceParameters typed;
    typed.line = record.line;
    const auto text = [&](std::size_t field) {
        if (!at[field]) return std::string();
        std::string read = record.fields[*at[field]];
        if (field >= kFirstCleaning && source.NumberCell(*at[field])) {
            std::replace(read.begin(), read.end(), '.', separator);
        }
        return read;
    };
    typed.number = text(kNumber);
    typed.name = text(kName);
    typed.simultaneous = text(kSimultaneous);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) typed.cleaning[i] = text(kFirstCleaning + i);
    typed.simultaneousColumn = at[kSimultaneous] ? *at[kSimultaneous] + 1 : 0;
    return typed;
}

// The lines of a CSV parameters table, or nothing for an empty file.
std::optional<std::vector<PollutionSourceParameters>> ReadCsvParameters(std::istream& in, std::string_view name,
                                                                        bool strict) {
    std::unique_ptr<RecordSource> source;
    CsvRecord header;
    try {
        source = CsvRecords(in);
        if (!source->Header(header)) return std::nullopt;
    } catch (const CsvError& error) {
        ThrowCsvFault(error, name, {});
    }
    return ReadPollutionSourceRecords(*source, header, name, strict, '.');
}

}  // namespace

bool IsPollutionSourceHeader(const CsvRecord& header) {
    const auto has = [&](std::string_view key) {
        return std::any_of(header.fields.begin(), header.fields.end(),
                           [&](const std::string& field) { return ColumnKey(field) == key; });
    };
    return has("pollution_source") && !has("source");
}

std::vector<PollutionSourceParameters> ReadPollutionSourceRecords(RecordSource& source, const CsvRecord& header,
                                                                  std::string_view name, bool strict, char separator) {
    const std::vector<std::string> columns = PollutionSourceParameterColumns();
    const std::vector<std::string_view> keys(columns.begin(), columns.end());
    const auto at = FindColumns(header, name, keys, [](std::size_t c) { return c == kNumber; },
                                "нужен pollution_source; разделитель ';' или ','");
    std::vector<PollutionSourceParameters> lines;
    std::vector<std::size_t> lineOf(kPollutionSourceNumbers);
    CsvRecord record;
    try {
        while (source.Next(record)) {
            if (record.IsBlank()) continue;
            CheckRecordLength(record, header.fields.size(), name);
            PollutionSourceParameters typed = ParametersOf(record, at, source, separator);
            ReadParameters read;
            std::optional<ParameterFault> fault = ReadParameterTexts(typed, read);
            if (fault && !strict && fault->field != kNumber) fault.reset();  // kept as typed
            if (!fault && lineOf[static_cast<std::size_t>(read.key)] != 0) {
                fault = {kNumber, TwiceFault(typed.number, lineOf[static_cast<std::size_t>(read.key)])};
            }
            if (fault) {
                throw StationsError(InputPlace(name, record.line, *at[fault->field] + 1, header.fields) + ": " +
                                    fault->message);
            }
            lineOf[static_cast<std::size_t>(read.key)] = record.line;
            lines.push_back(std::move(typed));
        }
    } catch (const CsvError& error) {
        ThrowCsvFault(error, name, header.fields);
    }
    return lines;
}

std::vector<PollutionSourceParameters> ReadPollutionSourceFile(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    std::ifstream file = OpenInput(path);
    std::optional<std::vector<PollutionSourceParameters>> lines = ReadCsvParameters(file, name, true);
    if (!lines) throw StationsError(path.string() + ": файл пуст");
    if (file.bad()) throw StationsError("ошибка чтения файла «" + path.string() + "»");
    return std::move(*lines);
}

std::vector<std::string> CheckPollutionSourcePosts(const std::vector<PollutionSourceParameters>& parameters,
                                                   const std::function<std::size_t(int)>& postsOf,
                                                   std::string_view fileName) {
    std::vector<std::string> warnings;
    for (const PollutionSourceParameters& typed : parameters) {
        ReadParameters read;
        ReadParameterTexts(typed, read);
        const std::size_t posts = postsOf(read.key);
        if (posts == 0) {
            warnings.push_back(InputPlace(fileName, typed.line, 0, {}) + ": ИЗА " + Quoted(typed.number) +
                               " не назначен ни одному посту; он войдет в таблицу как неиспользуемый");
        } else if (read.simultaneous && *read.simultaneous > posts) {
            throw StationsError(InputPlace(fileName, typed.line, typed.simultaneousColumn, {}) +
                                " (simultaneous): " + SimultaneousAbovePosts(typed.simultaneous, posts));
        }
    }
    return warnings;
}

std::string SimultaneousAbovePosts(std::string_view simultaneous, std::size_t posts) {
    return Quoted(simultaneous) + ": одновременно работающих постов больше, чем постов ИЗА (" + std::to_string(posts) +
           ")";
}

std::string PollutionSourceParametersCsv(const std::vector<PollutionSourceParameters>& parameters, char separator) {
    const char delimiter = CsvDelimiter(separator);
    std::string out = "\xEF\xBB\xBF";
    const auto line = [&](const auto& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (i > 0) out.push_back(delimiter);
            AppendCsvField(out, texts[i], delimiter);
        }
        out += "\r\n";
    };
    line(PollutionSourceParameterColumns());
    for (const PollutionSourceParameters& typed : parameters) {
        std::vector<std::string_view> texts{typed.number, typed.name, typed.simultaneous};
        texts.insert(texts.end(), typed.cleaning.begin(), typed.cleaning.end());
        line(texts);
    }
    return out;
}

std::vector<PollutionSourceParameters> ReadPollutionSourceTexts(std::istream& in, std::string_view name) {
    return ReadCsvParameters(in, name, false).value_or(std::vector<PollutionSourceParameters>());
}

bool IsPollutionSourceFile(std::string_view bytes) {
    std::istringstream in{std::string(bytes.substr(0, bytes.find_first_of("\r\n")))};
    CsvRecord header;
    try {
        CsvReader reader(in);
        if (!reader.ReadHeader(header)) return false;
    } catch (const CsvError&) {
        return false;
    }
    return IsPollutionSourceHeader(header);
}

}  // namespace korvel
