// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/inventory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "sheets/stations_table.h"
#include "sheets/zip_archive.h"
#include "support/workbook.h"
#include "support/xlsx_cells.h"

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
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B\tb", "C"}));
}

// Each change is one step: undone, the table reads as before it; redone, as after it.
TEST(Inventory, EveryChangeIsUndoneAndRedoneAsOneStep) {
    const std::string csv = "source,brand,consumption,hours,minutes,days,hours_per_year\nA,АНО - 4,100,8,0,250,\nB,МР - 3,2.5,,,,1200.5\n";
    const struct {
        std::function<void(Inventory&)> change;
        std::string caption;
    } cases[] = {
        {[](Inventory& t) { t.Set(1, 3, "7"); }, "Отменить: ввод в ячейку"},
        {[](Inventory& t) { t.Paste(1, 2, "Т - 590\t1\n\n\n\n\n\n\n\n\n\n\nx\n"); }, "Отменить: вставка 12 строк"},
        {[](Inventory& t) { t.Insert(0, 1); }, "Отменить: добавление 1 строки"},
        {[](Inventory& t) { t.Duplicate(0, 2); }, "Отменить: дублирование 2 строк"},
        {[](Inventory& t) { t.Delete(0, 2); }, "Отменить: удаление 2 строк"},
        {[&](Inventory& t) { t.Load(csv, "a.csv", true); }, "Отменить: добавление строк файла «a.csv»"},
        {[](Inventory& t) { t.Load("source,brand,consumption,hours,minutes,days\nC,,,,,\n", "c.csv", false); }, "Отменить: открытие файла «c.csv»"},
        {[](Inventory& t) { t.Reload("source;brand;consumption;hours;minutes;days\nD;;;;;\n", ','); }, "Отменить: изменения из другого окна"},
        {[](Inventory& t) { t.SetSeparator(','); }, "Отменить: смена десятичного разделителя"},
        {[](Inventory& t) { t.Clear(); }, "Отменить: очистка перечня"},
        {[](Inventory& t) { t.Erase({1, 1, 5, 2}); }, "Отменить: очистка 2 ячеек"},
        {[](Inventory& t) { t.Fill({0, 3, 2, 1}, "5"); }, "Отменить: заполнение 2 ячеек"},
        {[](Inventory& t) { t.FillDown({0, 2, 2, 9}); }, "Отменить: заполнение 6 ячеек"},
        {[](Inventory& t) { t.FillDown({1, 0, 1, 1}); }, "Отменить: заполнение 1 ячейки"},  // from the row above
        {[](Inventory& t) { t.PasteInto({0, 3, 2, 2}, "7\r\n"); }, "Отменить: заполнение 4 ячеек"},
        {[](Inventory& t) { t.PasteInto({1, 3, 2, 2}, "7\t8\n"); }, "Отменить: вставка 1 строки"},
    };
    for (const auto& c : cases) {
        Inventory table('.');
        table.Load(csv, "a.csv", false);
        const std::string before = table.SummaryCsv();
        c.change(table);
        const std::string after = table.SummaryCsv();
        EXPECT_NE(after, before) << c.caption;
        EXPECT_EQ(table.UndoCaption(), c.caption);
        ASSERT_TRUE(table.Undo());
        EXPECT_EQ(table.SummaryCsv(), before) << c.caption;
        EXPECT_EQ(table.RedoCaption(), "Повторить" + c.caption.substr(std::string("Отменить").size()));
        ASSERT_TRUE(table.Redo());
        EXPECT_EQ(table.SummaryCsv(), after) << c.caption;
        EXPECT_GE(table.Size(), 1u);
    }
    Inventory table('.');
    const std::size_t start = table.Size();
    for (int i = 0; i <= 100; ++i) table.Insert(0, 1);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(table.Undo());
    EXPECT_FALSE(table.Undo());
    EXPECT_EQ(table.Size(), start + 1);  // the oldest insertion is past the history's depth
}

// A block copied reads in a spreadsheet as the cells shown, and pastes back as the same rows.
TEST(Inventory, ACopiedBlockIsQuotedAsASpreadsheetQuotesIt) {
    Inventory table(',');
    table.Paste(0, 0, "\"Цех \"\"А\"\"\tи\nБ\"\t\tАНО - 4\t100\t8\t0\t250\n\" x \"\t0001\n");
    EXPECT_EQ(table.BlockText({0, 0, 2, 4}), "\"Цех \"\"А\"\"\tи\nБ\"\t\tАНО - 4\t100\r\n\" x \"\t0001\t\t\r\n");
    EXPECT_EQ(table.BlockText({0, 7, 1, 3}), "\t0,4\t28800\r\n");  // hours per year, then b and t as shown
    Inventory again(',');
    again.Paste(0, 0, table.BlockText({0, 0, 9, 99}));
    EXPECT_EQ(again.SourcesCsv(), table.SourcesCsv());
}

// Edits through a view of some rows touch those rows only, as one step.
TEST(Inventory, AViewOfSomeRowsEditsTheRowsItShows) {
    Inventory table('.');
    table.Paste(0, 0, "A\t\tАНО - 4\t1\nB\t\tАНО - 4\t2\nC\t\tАНО - 4\t3\nD\t\tАНО - 4\t4\n");
    const RowView view({0, 2, 3});
    table.Erase({1, 0, 1, 1}, view);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B", "", "D"}));
    table.FillDown({0, 3, 3, 1}, view);
    table.Paste(1, 0, "x\ny\nlost\n", view);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"A", "B", "x", "y"}));
    EXPECT_EQ(table.CellTexts(1)[3], "2");
    EXPECT_EQ(table.CellTexts(3)[3], "1");
    EXPECT_EQ(table.BlockText({1, 0, 5, 1}, view), "x\r\ny\r\n");
    ASSERT_TRUE(table.Undo());
    ASSERT_TRUE(table.Undo());
    EXPECT_EQ(table.CellTexts(3)[3], "4");
    RowView shifted({1, 3});
    shifted.Inserted(2, 2);
    shifted.Removed(0, 2);
    EXPECT_EQ(shifted[0], 0u);
    EXPECT_EQ(shifted[2], 3u);
    EXPECT_EQ(shifted.Find(1), 1u);
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

// What the table of sources reads as when an inventory of the same rows and
// parameters is made afresh, as another window makes it from storage.
std::string Afresh(const Inventory& table) {
    Inventory fresh('.');
    fresh.Reload(table.SourcesCsv(), table.Separator(), table.ParametersCsv());
    return fresh.PollutionSourcesCsv();
}

// The column of the table of sources named `name`.
std::size_t SourceColumn(std::string_view name) {
    const auto& columns = PollutionSourceViewColumns();
    return static_cast<std::size_t>(
        std::find_if(columns.begin(), columns.end(), [&](const InventoryColumn& c) { return c.name == name; }) -
        columns.begin());
}

TEST(Inventory, SourcesFollowThePostsKeepTheirParametersAndTheHistory) {
    Inventory table('.');
    table.Paste(0, 0,
                "A\t0001\tАНО - 4\t100\t8\t0\t250\n"
                "B\t1\tАНО - 4\t200\t8\t0\t250\n"
                "C\t0002\tМР - 3\t300\t8\t0\t250\n"
                "D\t\tМР - 3\t50\t8\t0\t250\n");
    ASSERT_EQ(table.SourceCount(), 3u);  // 0001 (as "1" too), 0002, the posts of none
    EXPECT_EQ(table.Source(0).line.posts, 2u);
    EXPECT_FALSE(table.Source(2).line.assigned);
    const std::size_t name = SourceColumn("name"), simultaneous = SourceColumn("simultaneous"),
                      eta = SourceColumn("cleaning_0143");
    const double m = table.Source(0).line.m[0];
    table.SetSource(0, eta, "50");
    table.SetSource(0, name, "Труба 1");
    EXPECT_DOUBLE_EQ(table.Source(0).line.m[0], m / 2);
    table.Set(1, kPollutionSourceColumn, "0002");
    table.Set(0, kPollutionSourceColumn, "");
    const PollutionSourceEntry& unused = table.Source(0);
    EXPECT_EQ(unused.line.posts, 0u);
    EXPECT_EQ(unused.typed.name, "Труба 1");
    EXPECT_EQ(unused.Status().rfind("не используется", 0), 0u);
    EXPECT_EQ(table.PollutionSourcesCsv(), Afresh(table));
    // N above the posts: said in the row, and no table is written with it.
    table.SetSource(1, simultaneous, "3");
    EXPECT_EQ(table.Source(1).fault, "simultaneous: «3»: одновременно работающих постов больше, чем постов ИЗА (2)");
    EXPECT_THROW(table.PollutionSourcesCsv(), StationsError);
    EXPECT_EQ(table.SourceTotalsTexts().back(), "");
    ASSERT_TRUE(table.Undo());
    ASSERT_TRUE(table.Undo());
    ASSERT_TRUE(table.Undo());
    EXPECT_EQ(table.Source(0).line.posts, 2u);
    EXPECT_EQ(table.PollutionSourcesCsv(), Afresh(table));
    const std::optional<CellBlock> undone = table.Undo();  // the name
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->sources);
    EXPECT_EQ(table.Source(0).typed.name, "");
    table.Set(0, kPollutionSourceColumn, "");
    table.Set(1, kPollutionSourceColumn, "");
    table.DeleteSources(0, 1);  // its η goes, and with it the row no post uses
    EXPECT_EQ(table.SourceCount(), 2u);
    EXPECT_EQ(table.Source(0).line.number, "0002");
    // Cells that hold no parameter take no edit, and no step is kept for one.
    const std::string latest = table.UndoCaption();
    table.EraseSources({0, SourceColumn("posts"), 2, 3});
    table.SetSource(1, name, "x");  // the posts of none
    EXPECT_EQ(table.UndoCaption(), latest);
}

// A whole inventory's workbook reads back as typed, rows and parameters;
// numbers are number cells where that keeps their text.
TEST(Inventory, AWholeInventoryWorkbookReadsBackAsTyped) {
    Inventory table(',');
    table.Paste(0, 0,
                "Пост 1\t0001\tУОНИ 13/45\t330.00\t1\t15\t365\t\n"
                "=1+2\t6001\tАНО - 4\t120.5\t2\t30\t250\t\n"
                "\t\t\t\t\t\t\t\n"
                "Пост 4\t1\tМР - 3\t200,5\t\t\t\t1200,5\n"
                " пробел \t\tТ - 590\t-5\t0.0001\t007\t1e3\t1200.5\n"
                "\t\t\t\t\t\t\t\n");
    PollutionSourceParameters stack{"0001", "Труба", "2", {"37,5", "37.5", "100"}};
    PollutionSourceParameters unused{"0042", "", "", {"абв"}};
    table.SetParameters({stack, unused}, "параметры");
    const std::string book = table.InventoryXlsx("Цех");
    Inventory back(',');
    back.Load(book, "цех.xlsx", false);
    EXPECT_EQ(back.SourcesCsv(), table.SourcesCsv());
    EXPECT_EQ(back.ParametersCsv(), table.ParametersCsv());
    EXPECT_EQ(back.InventoryXlsx("Цех").size(), book.size());

    ZipReader zip(book);
    const auto posts = testing::XlsxCellsOf(*zip.Read("xl/worksheets/sheet1.xml"));
    const auto parameters = testing::XlsxCellsOf(*zip.Read("xl/worksheets/sheet2.xml"));
    const std::pair<std::string, testing::XlsxCell> cells[] = {
        {"B2", {true, "0001"}}, {"D2", {true, "330.00"}}, {"D3", {false, "120.5"}}, {"D5", {true, "200,5"}},
        {"H5", {false, "1200.5"}}, {"H6", {true, "1200.5"}}, {"E6", {false, "0.0001"}}, {"F6", {true, "007"}},
    };
    for (const auto& [ref, cell] : cells) {
        EXPECT_EQ(posts.at(ref).text, cell.text) << ref;
        EXPECT_EQ(posts.at(ref).value, cell.value) << ref;
    }
    EXPECT_FALSE(parameters.at("C2").text);  // N
    EXPECT_FALSE(parameters.at("D2").text);  // "37,5" with the separator in use
    EXPECT_TRUE(parameters.at("E2").text);   // "37.5"

    // Appended, its parameters fill the numbers that have none; one step.
    Inventory kept(',');
    kept.SetParameters({{"1", "Своя", "", {}}}, "параметры");
    kept.Load(book, "цех.xlsx", true);
    ASSERT_EQ(kept.Parameters().size(), 2u);
    EXPECT_EQ(kept.Parameters()[0].name, "Своя");
    EXPECT_EQ(kept.Parameters()[1].cleaning[0], "абв");
    ASSERT_TRUE(kept.Undo());
    EXPECT_EQ(kept.Parameters().size(), 1u);
}

}  // namespace
}  // namespace korvel
