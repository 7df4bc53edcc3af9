// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/csv_reader.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "report/utf8.h"

namespace korvel {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

bool CsvRecord::IsBlank() const {
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); });
}

CsvReader::CsvReader(std::istream& in, char delimiter) : in_(in), buffer_(kBufferSize), delimiter_(delimiter) {
    Fill();
    const auto at = [&](std::size_t k) { return k < end_ ? static_cast<unsigned char>(buffer_[k]) : -1; };
    if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        pos_ = 3;
    } else if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF) ||
               (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF)) {
        throw CsvError(1, 0, "файл в кодировке UTF-16 или UTF-32, а нужна UTF-8");
    }
}

bool CsvReader::Fill() {
    if (pos_ < end_) return true;
    pos_ = end_ = 0;
    if (!in_) return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    end_ = static_cast<std::size_t>(in_.gcount());
    return end_ > 0;
}

inline int CsvReader::Get() {
    if (pos_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
}

inline int CsvReader::Peek() {
    if (pos_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

int CsvReader::TakeUntil(std::string& field, char quote) {
    // The stop bytes as a bit mask of the first 64 (every byte CSV treats
    // specially is one of them): one test a byte.
    const auto bit = [](char c) { return std::uint64_t{1} << static_cast<unsigned char>(c); };
    const auto d = static_cast<unsigned char>(delimiter_);
    const std::uint64_t stops = bit('\n') | bit('\r') | (d < 64 ? bit(delimiter_) : 0) | (quote ? bit(quote) : 0);
    const auto isStop = [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 64 ? ((stops >> u) & 1) != 0 : u == d;
    };
    for (;;) {
        if (pos_ == end_ && !Fill()) return -1;
        const char* const begin = buffer_.data() + pos_;
        const char* const end = buffer_.data() + end_;
        const char* stop = std::find_if(begin, end, isStop);
        field.append(begin, stop);
        pos_ += static_cast<std::size_t>(stop - begin);
        if (stop != end) return Get();
    }
}

int CsvReader::QuotedField(std::string& field, std::size_t fieldLine, std::size_t count) {
    Get();  // the opening quote
    for (;;) {
        const int c = TakeUntil(field, '"');
        if (c < 0) throw CsvError(fieldLine, count, "кавычка, открытая здесь, не закрыта до конца файла");
        if (c == '"') {
            if (Peek() != '"') break;
            Get();
        } else if (c == '\n' || (c == '\r' && Peek() != '\n')) {
            ++line_;
        }
        field.push_back(static_cast<char>(c));
    }
    const int c = Get();
    if (c >= 0 && c != delimiter_ && c != '\n' && c != '\r') {
        throw CsvError(line_, count, "после закрывающей кавычки поля стоит не разделитель");
    }
    return c;
}

bool CsvReader::ReadHeader(CsvRecord& header) {
    if (Peek() < 0) return false;
    // The raw header up to the first line end outside quotes.
    std::string raw;
    bool quoted = false;
    std::size_t semicolons = 0, commas = 0;
    const std::size_t startLine = line_;
    for (int c = Get(); c >= 0; c = Get()) {
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == '\n' || c == '\r')) {
            if (c == '\r' && Peek() == '\n') Get();
            ++line_;
            break;
        }
        if (c == '\n' || (c == '\r' && Peek() != '\n')) ++line_;
        if (!quoted && c == ';') ++semicolons;
        if (!quoted && c == ',') ++commas;
        raw.push_back(static_cast<char>(c));
    }
    delimiter_ = commas > semicolons ? ',' : ';';

    std::istringstream rawStream(raw);
    CsvReader headerReader(rawStream, delimiter_);
    headerReader.line_ = startLine;
    if (!headerReader.Next(header)) header.fields.assign(1, std::string());
    header.line = startLine;
    return true;
}

bool CsvReader::Next(CsvRecord& record) {
    if (Peek() < 0) return false;
    record.line = line_;
    std::size_t count = 0;
    for (;;) {
        if (count == record.fields.size()) record.fields.emplace_back();
        std::string& field = record.fields[count];
        field.clear();
        ++count;
        const std::size_t fieldLine = line_;

        const int c = Peek() == '"' ? QuotedField(field, fieldLine, count) : TakeUntil(field, '\0');
        const std::size_t bad = FindInvalidUtf8(field);
        if (bad != std::string::npos) {
            const auto breaks = std::count(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(bad), '\n');
            std::ostringstream message;
            message << "недопустимая последовательность UTF-8 (байт 0x" << std::hex << std::uppercase
                    << static_cast<int>(static_cast<unsigned char>(field[bad])) << ")";
            throw CsvError(fieldLine + static_cast<std::size_t>(breaks), count, message.str());
        }
        if (c == delimiter_) continue;

        // The end of the record.
        if (c == '\r' && Peek() == '\n') Get();
        if (c >= 0) ++line_;
        record.fields.resize(count);
        return true;
    }
}

}  // namespace korvel
