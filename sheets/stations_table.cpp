// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/stations_table.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <system_error>

#include "report/system_error_text.h"
#include "sheets/csv.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

enum class Column { Source, PollutionSource, Brand, Consumption, Hours, Minutes, Days, HoursPerYear };
constexpr std::size_t kColumnCount = kStationColumns.size();
// An older input has neither of the two optional columns.
constexpr bool IsRequired(std::size_t column) {
    return static_cast<Column>(column) != Column::HoursPerYear && static_cast<Column>(column) != Column::PollutionSource;
}

class CsvSource : public RecordSource {
public:
    explicit CsvSource(std::istream& in) : reader_(in) {}
    bool Header(CsvRecord& header) override { return reader_.ReadHeader(header); }
    bool Next(CsvRecord& record) override { return reader_.Next(record); }

private:
    CsvReader reader_;
};

}  // namespace

std::string ColumnKey(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    std::string out(text.substr(begin, end - begin));
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string InputPlace(std::string_view name, std::size_t line, std::size_t field, const std::vector<std::string>& names) {
    std::string where = std::string(name) + ", строка файла " + std::to_string(line);
    if (field > 0) {
        where += ", столбец " + std::to_string(field);
        if (field <= names.size()) where += " (" + names[field - 1] + ")";
    }
    return where;
}

std::ifstream OpenInput(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw StationsError("«" + path.string() + "» - папка, а не файл");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw StationsError("не удается открыть файл «" + path.string() + "»: " + SystemErrorText(errno));
    return in;
}

std::vector<std::optional<std::size_t>> FindColumns(const CsvRecord& header, std::string_view name,
                                                    std::span<const std::string_view> columns,
                                                    const std::function<bool(std::size_t)>& required,
                                                    std::string_view hint) {
    std::vector<std::optional<std::size_t>> position(columns.size());
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string key = ColumnKey(header.fields[i]);
        const auto found = std::find(columns.begin(), columns.end(), key);
        if (found == columns.end()) continue;
        std::optional<std::size_t>& at = position[static_cast<std::size_t>(found - columns.begin())];
        if (at) {
            throw StationsError(InputPlace(name, header.line, i + 1, {}) + ": столбец «" + key +
                                "» встречается в заголовке дважды");
        }
        at = i;
    }
    std::string missing;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!required(c) || position[c]) continue;
        missing += missing.empty() ? "" : ", ";
        missing += columns[c];
    }
    if (!missing.empty()) {
        throw StationsError(InputPlace(name, header.line, 0, {}) + ": в заголовке нет обязательных столбцов: " +
                            missing + " (" + std::string(hint) + ")");
    }
    return position;
}

void CheckRecordLength(const CsvRecord& record, std::size_t headerFields, std::string_view name) {
    if (record.fields.size() == headerFields) return;
    throw StationsError(InputPlace(name, record.line, 0, {}) + ": полей " + std::to_string(record.fields.size()) +
                        ", а в заголовке " + std::to_string(headerFields) +
                        " (поле с разделителем внутри нужно заключить в кавычки)");
}

void ThrowCsvFault(const CsvError& error, std::string_view name, const std::vector<std::string>& names) {
    std::string message = InputPlace(name, error.Line(), error.Field(), names) + ": " + error.what();
    if (std::string_view(error.what()).find("UTF-8") != std::string_view::npos) {
        message += "; сохраните файл в кодировке UTF-8 (в Excel: «CSV UTF-8»)";
    }
    throw StationsError(message);
}

namespace {

// Looks at the first bytes and goes back to the start.
bool StartsAsZip(std::istream& in) {
    char start[4] = {};
    in.read(start, sizeof start);
    const std::string_view read(start, static_cast<std::size_t>(in.gcount()));
    in.clear();
    in.seekg(0);
    return LooksLikeZip(read);
}

}  // namespace

std::unique_ptr<RecordSource> CsvRecords(std::istream& in) { return std::make_unique<CsvSource>(in); }

void SetStationField(StationInputs& typed, std::size_t column, std::string text) {
    typed.*kStationFields.at(column) = std::move(text);
    typed.perYearMode = !typed.hoursPerYear.empty();
}

bool LooksLikeZip(std::string_view bytes) { return bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4); }

StationsTable::StationsTable(const fs::path& path, const WorkbookReader& workbook, char separator)
    : name_(path.filename().string()), label_(path.string()), file_(OpenInput(path)), separator_(separator) {
    if (workbook && StartsAsZip(*file_)) {
        const std::string bytes{std::istreambuf_iterator<char>(*file_), std::istreambuf_iterator<char>()};
        if (file_->bad()) throw StationsError("ошибка чтения файла «" + label_ + "»");
        file_.reset();
        source_ = workbook(bytes, name_);
    } else {
        try {
            source_ = CsvRecords(*file_);
        } catch (const CsvError& error) {
            Fail(error);
        }
    }
    ReadHeader();
}

StationsTable::StationsTable(std::string name, std::unique_ptr<RecordSource> source, char separator)
    : name_(name), label_(std::move(name)), source_(std::move(source)), separator_(separator) {
    ReadHeader();
}

void StationsTable::ReadHeader() {
    try {
        if (!source_->Header(record_)) throw StationsError(label_ + ": файл пуст");
    } catch (const CsvError& error) {
        Fail(error);
    }
    MapColumns();
}

void StationsTable::MapColumns() {
    position_ = FindColumns(record_, name_, kStationColumns, IsRequired,
                            "нужны source, brand, consumption, hours, minutes, days; разделитель ';' или ','");
    headerNames_ = record_.fields;
}

void StationsTable::Fail(const CsvError& error) const { ThrowCsvFault(error, name_, headerNames_); }

void StationsTable::CheckFieldCount() const { CheckRecordLength(record_, headerNames_.size(), name_); }

// The next record that is not blank, its shape checked.
bool StationsTable::NextRecord() {
    try {
        while (source_->Next(record_)) {
            ++records_;
            if (record_.IsBlank()) continue;
            CheckFieldCount();
            return true;
        }
    } catch (const CsvError& error) {
        Fail(error);
    }
    if (file_ && file_->bad()) throw StationsError("ошибка чтения файла «" + label_ + "»");
    return false;
}

bool StationsTable::Next(StationRow& row) {
    if (!NextRecord()) return false;
    row.number = records_;
    row.line = record_.line;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        std::string text;
        if (position_[c]) text = std::move(record_.fields[*position_[c]]);
        // A workbook's number goes into the hours-per-year field as the
        // separator in use writes it.
        if (static_cast<Column>(c) == Column::HoursPerYear && position_[c] && source_->NumberCell(*position_[c])) {
            std::replace(text.begin(), text.end(), '.', separator_);
        }
        SetStationField(row.typed, c, std::move(text));
    }
    return true;
}

std::string StationsTable::Place(const StationRow& row, std::size_t column) const {
    const std::optional<std::size_t> position = position_.at(column);
    return InputPlace(name_, row.line, position ? *position + 1 : 0, headerNames_);
}

std::size_t CheckStations(const fs::path& path, const WorkbookReader& workbook) {
    StationsTable file(path, workbook);
    while (file.Skip()) {
    }
    return file.Records();
}

std::string StationsCsv(std::size_t count, const std::function<const StationInputs&(std::size_t)>& row,
                        char separator) {
    const char delimiter = CsvDelimiter(separator);
    std::string out = "\xEF\xBB\xBF";
    const auto line = [&](const auto& texts) {
        bool first = true;
        for (const auto& text : texts) {
            if (!first) out.push_back(delimiter);
            first = false;
            AppendCsvField(out, text, delimiter);
        }
        out += "\r\n";
    };
    line(kStationColumns);
    for (std::size_t i = 0; i < count; ++i) {
        const StationInputs& typed = row(i);
        std::array<std::string_view, kColumnCount> texts;
        std::transform(kStationFields.begin(), kStationFields.end(), texts.begin(),
                       [&](std::string StationInputs::*field) { return std::string_view(typed.*field); });
        line(texts);
    }
    return out;
}

}  // namespace korvel
