// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/xlsx_records.h"

#include <gtest/gtest.h>

#include "support/workbook.h"

namespace korvel {
namespace {

using testing::Workbook;
using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kHeader{"source", "brand", "consumption", "hours", "minutes", "days", "hours_per_year"};

// Every row a table reads from the bytes, each as its seven texts.
Rows Read(const std::string& bytes) {
    StationsTable table("книга.xlsx", XlsxRecords(bytes, "книга.xlsx"), ',');
    Rows rows;
    StationRow row;
    while (table.Next(row)) {
        rows.push_back({row.typed.sourceName, row.typed.brand, row.typed.yearlyConsumption, row.typed.hours,
                        row.typed.minutes, row.typed.workingDays, row.typed.hoursPerYear});
    }
    return rows;
}

TEST(XlsxRecords, CellsReadAsTheSheetHoldsThem) {
    const Rows cells{kHeader, {"Пост «1» & 2", "УОНИ-13/45", "#200.5", "#8", "", "#250", "#1650.5"}};
    // A number keeps its stored digits; hours per year, as if typed, take the separator in use.
    const Rows read{{"Пост «1» & 2", "УОНИ-13/45", "200.5", "8", "", "250", "1650,5"}};
    Rows escaped = cells;
    escaped[1][0] = "Пост «1» &amp; 2";
    EXPECT_EQ(Read(Workbook(escaped)), read);
    EXPECT_EQ(Read(Workbook(escaped, true)), read);
}

TEST(XlsxRecords, EmptyAndBrokenWorkbooksAreNamedInOneMessage) {
    const std::string good = Workbook({kHeader, {"Пост", "АНО-4", "#100", "#8", "#0", "#250"}});
    const struct {
        std::string bytes, message;
    } cases[] = {
        {Workbook({}), "книга.xlsx: файл пуст"},
        {good.substr(0, good.size() / 2), "книга.xlsx: не читается как книга XLSX: это не архив ZIP"},
        {"PK\x03\x04 no archive", "книга.xlsx: не читается как книга XLSX: это не архив ZIP"},
        {Workbook({{"source", "brand"}}), "книга.xlsx, строка файла 1: в заголовке нет обязательных столбцов"},
    };
    for (const auto& c : cases) {
        try {
            Read(c.bytes);
            ADD_FAILURE() << c.message;
        } catch (const StationsError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message);
        }
    }
}

}  // namespace
}  // namespace korvel
