// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/inventory.h"

#include <gtest/gtest.h>

#include "sheets/stations_table.h"
#include "support/workbook.h"

namespace korvel {
namespace {

// The source names of the rows, in order.
std::vector<std::string> Names(const Inventory& table) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < table.Size(); ++i) names.push_back(table.Row(i).typed.sourceName);
    return names;
}

TEST(Inventory, UndoPutsRemovedRowsBackAcrossInsertAndPaste) {
    Inventory table('.');
    // A quoted cell keeps its tab; a cell past the last input column is dropped.
    EXPECT_EQ(table.Paste(0, 0,
                          "A\t0001\tАНО - 4\t100\t8\t0\t250\n"
                          "\"B\tb\"\t\tАНО - 4\t200\t8\t0\t250\t\t\tlost\n"
                          "C\t6001\tМР - 3\t300\t8\t0\t250\n")
                  .columns,
              8u);
    const auto totals = table.Totals();
    table.Insert(1, 1);
    table.Paste(1, 0, "new\t\tАНО - 4\t50\t1\t0\t10");
    table.Delete(2, 2);
    table.Delete(0, 1);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"new"}));
    const std::optional<CellBlock> last = table.Undo();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->row, 0u);
    EXPECT_EQ(last->rows, 1u);
    ASSERT_TRUE(table.Undo());
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "new", "B\tb", "C"}));
    EXPECT_TRUE(table.Row(3).outcome.ok);
    table.Delete(1, 1);
    EXPECT_EQ(table.Totals(), totals);
    table.Delete(0, table.Size());  // the table keeps one row to type into
    EXPECT_EQ(Names(table), (std::vector<std::string>{""}));
    ASSERT_TRUE(table.Undo());
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B\tb", "C", ""}));
}

TEST(Inventory, AWorkbookLoadsAsItsCsvDoes) {
    const std::vector<std::vector<std::string>> rows{
        {"source", "brand", "consumption", "hours", "minutes", "days", "hours_per_year"},
        {"Пост 1", "АНО - 4", "#120.5", "#2", "#30", "#250"},
        {},
        {"Пост 3", "МР - 3", "#200", "", "", "", "#400.5"},
    };
    Inventory fromBook(',');
    fromBook.Load(testing::Workbook(rows), "книга.xlsx", false);
    Inventory fromCsv(',');
    fromCsv.Load(fromBook.SourcesCsv(), "книга.csv", false);
    ASSERT_EQ(fromBook.Size(), 3u);  // the empty row keeps its place
    EXPECT_EQ(fromBook.Row(2).typed.hoursPerYear, "400,5");
    EXPECT_EQ(fromCsv.SummaryCsv(), fromBook.SummaryCsv());
    EXPECT_THROW(fromBook.Load("PK\x03\x04", "плохая.xlsx", true), StationsError);
    EXPECT_EQ(fromBook.Size(), 3u);
}

}  // namespace
}  // namespace korvel
