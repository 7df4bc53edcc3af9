// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/stations_file.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

#include "batch/batch_error.h"

namespace korvel::batch {

namespace fs = std::filesystem;

namespace {

enum class Column { Source, Brand, Consumption, Hours, Minutes, Days, HoursPerYear };
constexpr std::array<std::string_view, StationsFile::kColumnCount> kColumnNames{
    "source", "brand", "consumption", "hours", "minutes", "days", "hours_per_year"};
constexpr bool IsRequired(std::size_t column) { return static_cast<Column>(column) != Column::HoursPerYear; }

// A header name as it is matched: blanks around it dropped, ASCII in lower case.
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

// "in.csv, строка файла 3, столбец 1 (source)"; the header name when known.
std::string Where(const fs::path& file, std::size_t line, std::size_t field, const std::vector<std::string>& names) {
    std::string where = file.filename().string() + ", строка файла " + std::to_string(line);
    if (field > 0) {
        where += ", столбец " + std::to_string(field);
        if (field <= names.size()) where += " (" + names[field - 1] + ")";
    }
    return where;
}

std::ifstream OpenInput(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw BatchError("«" + path.string() + "» - папка, а не файл");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BatchError("не удается открыть файл «" + path.string() + "»: " + std::strerror(errno));
    return in;
}

}  // namespace

StationsFile::StationsFile(const fs::path& path) : path_(path), in_(OpenInput(path)) {
    try {
        reader_.emplace(in_);
        if (!reader_->ReadHeader(record_)) throw BatchError(path_.string() + ": файл пуст");
    } catch (const CsvError& error) {
        Fail(error);
    }
    MapColumns();
}

void StationsFile::MapColumns() {
    for (std::size_t i = 0; i < record_.fields.size(); ++i) {
        const std::string name = ColumnKey(record_.fields[i]);
        for (std::size_t c = 0; c < kColumnCount; ++c) {
            if (name != kColumnNames[c]) continue;
            if (position_[c]) {
                throw BatchError(Where(path_, record_.line, i + 1, {}) + ": столбец «" + std::string(kColumnNames[c]) +
                                 "» встречается в заголовке дважды");
            }
            position_[c] = i;
        }
    }
    std::string missing;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        if (!IsRequired(c) || position_[c]) continue;
        missing += missing.empty() ? "" : ", ";
        missing += kColumnNames[c];
    }
    if (!missing.empty()) {
        throw BatchError(Where(path_, record_.line, 0, {}) + ": в заголовке нет обязательных столбцов: " + missing +
                         " (нужны source, brand, consumption, hours, minutes, days; разделитель ';' или ',')");
    }
    headerNames_ = record_.fields;
}

void StationsFile::Fail(const CsvError& error) const {
    std::string message = Where(path_, error.Line(), error.Field(), headerNames_) + ": " + error.what();
    if (std::string_view(error.what()).find("UTF-8") != std::string_view::npos) {
        message += "; сохраните файл в кодировке UTF-8 (в Excel: «CSV UTF-8»)";
    }
    throw BatchError(message);
}

void StationsFile::CheckFieldCount() const {
    if (record_.fields.size() == headerNames_.size()) return;
    throw BatchError(Where(path_, record_.line, 0, {}) + ": полей " + std::to_string(record_.fields.size()) +
                     ", а в заголовке " + std::to_string(headerNames_.size()) +
                     " (поле с разделителем внутри нужно заключить в кавычки)");
}

// The next record that is not blank, its shape checked.
bool StationsFile::NextRecord() {
    try {
        while (reader_->Next(record_)) {
            ++records_;
            if (record_.IsBlank()) continue;
            CheckFieldCount();
            return true;
        }
    } catch (const CsvError& error) {
        Fail(error);
    }
    if (in_.bad()) throw BatchError("ошибка чтения файла «" + path_.string() + "»");
    return false;
}

bool StationsFile::Next(StationRow& row) {
    if (!NextRecord()) return false;
    row.number = records_;
    row.line = record_.line;
    const auto take = [&](Column column, std::string& into) {
        const auto& position = position_[static_cast<std::size_t>(column)];
        if (position) {
            into = std::move(record_.fields[*position]);
        } else {
            into.clear();
        }
    };
    RunInputs& typed = row.typed;
    take(Column::Source, typed.sourceName);
    take(Column::Brand, typed.brand);
    take(Column::Consumption, typed.yearlyConsumption);
    take(Column::Hours, typed.hours);
    take(Column::Minutes, typed.minutes);
    take(Column::Days, typed.workingDays);
    take(Column::HoursPerYear, typed.hoursPerYear);
    typed.perYearMode = !typed.hoursPerYear.empty();
    return true;
}

std::size_t CheckStations(const fs::path& path) {
    StationsFile file(path);
    while (file.Skip()) {
    }
    return file.Records();
}

}  // namespace korvel::batch
