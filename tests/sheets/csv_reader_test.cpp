// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/csv_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvel {
namespace {

using Records = std::vector<std::vector<std::string>>;

struct Parsed {
    char delimiter;
    std::vector<std::string> header;
    Records records;
    std::vector<std::size_t> lines;
};

Parsed Parse(const std::string& text) {
    std::istringstream in(text);
    CsvReader reader(in);
    CsvRecord record;
    Parsed parsed{};
    EXPECT_TRUE(reader.ReadHeader(record));
    parsed.header = record.fields;
    parsed.delimiter = reader.Delimiter();
    while (reader.Next(record)) {
        parsed.records.push_back(record.fields);
        parsed.lines.push_back(record.line);
    }
    return parsed;
}

TEST(CsvReader, SplitsQuotedAndPlainFieldsWithEitherDelimiter) {
    const struct {
        const char* name;
        std::string text;
        char delimiter;
        Records records;
    } cases[] = {
        {"semicolons", "a;b;c\n1;2;3\n", ';', {{"1", "2", "3"}}},
        {"commas", "a,b,c\r\n1,2,3\r\n", ',', {{"1", "2", "3"}}},
        {"commas win by count", "a,b;c,d\n1,2;3,4\n", ',', {{"1", "2;3", "4"}}},
        {"quoted delimiter in the header does not count", "\"a,b\";c\n1;2\n", ';', {{"1", "2"}}},
        {"delimiter and quotes inside quotes", "a;b\n\"x;y\";\"say \"\"hi\"\"\"\n", ';', {{"x;y", "say \"hi\""}}},
        {"line breaks inside quotes", "a;b\n\"one\r\ntwo\nthree\";z\n", ';', {{"one\r\ntwo\nthree", "z"}}},
        {"empty fields, quoted and not", "a;b;c\n;\"\";\n", ';', {{"", "", ""}}},
        {"no line end at the end", "a;b\n1;2", ';', {{"1", "2"}}},
        {"a lone CR ends a record", "a;b\r1;2\r3;4", ';', {{"1", "2"}, {"3", "4"}}},
        {"a quote inside a plain field is literal", "a;b\n5\";x\"y\n", ';', {{"5\"", "x\"y"}}},
        {"blank lines are records of one empty field", "a;b\n\n1;2\n", ';', {{""}, {"1", "2"}}},
        {"a byte-order mark is skipped",
         "\xEF\xBB\xBF"
         "a;b\n1;2\n",
         ';',
         {{"1", "2"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Parsed parsed = Parse(c.text);
        EXPECT_EQ(parsed.delimiter, c.delimiter);
        EXPECT_EQ(parsed.records, c.records);
    }
}

TEST(CsvReader, CountsFileLinesAcrossQuotedLineBreaks) {
    const Parsed parsed = Parse("\"a\nb\";c\n\"1\r\n2\r\n3\";x\r\n4;y\n");
    EXPECT_EQ(parsed.header, (std::vector<std::string>{"a\nb", "c"}));
    EXPECT_EQ(parsed.lines, (std::vector<std::size_t>{3, 6}));
}

TEST(CsvReader, ReportsMalformedInputWithLineAndField) {
    const struct {
        const char* name;
        std::string text;
        std::size_t line, field;
        const char* mentions;
    } cases[] = {
        {"unclosed quote: the line where it opened", "a;b\n1;\"open\n\nstill\n", 2, 2, "кавычка"},
        {"text after a closing quote", "a;b\n1;\"x\"y\n", 2, 2, "кавычки"},
        {"Windows-1251 text", "a;b\n1;\xCF\xEE\xF1\xF2\n", 2, 2, "0xCF"},
        {"overlong encoding", "a;b\n1;\xC0\x80\n", 2, 2, "0xC0"},
        {"a surrogate", "a;b\n\xED\xA0\x80;2\n", 2, 1, "0xED"},
        {"above U+10FFFF", "a;b\n\xF4\x90\x80\x80;2\n", 2, 1, "0xF4"},
        {"cut short at the end of a field", "a;b\n1;\xE2\x82;3\n", 2, 2, "0xE2"},
        {"the bad byte on a later line of a quoted field", "a;b\n1;\"ok\n\xFF\"\n", 3, 2, "0xFF"},
        {"in the header", "a;\xFF\n", 1, 2, "0xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Parse(c.text);
            ADD_FAILURE() << "no error";
        } catch (const CsvError& error) {
            EXPECT_EQ(error.Line(), c.line);
            EXPECT_EQ(error.Field(), c.field);
            EXPECT_NE(std::string(error.what()).find(c.mentions), std::string::npos) << error.what();
        }
    }
}

TEST(CsvReader, RejectsUtf16) {
    for (const std::string& bom : {std::string("\xFF\xFE"), std::string("\xFE\xFF")}) {
        std::istringstream in(bom + "a;b\n");
        EXPECT_THROW(CsvReader{in}, CsvError);
    }
}

}  // namespace
}  // namespace korvel
