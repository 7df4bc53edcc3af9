// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/xlsx.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

#include "support/xlsx_cells.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using testing::XlsxCells;

// A locale with a decimal comma, built for the test (the machine need not
// have one): the program's own C library calls must not see it.
bool UseCommaLocale(const fs::path& dir) {
    const std::string command = "localedef -i ru_RU -f UTF-8 " + (dir / "ru_RU.UTF-8").string() + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
}

TEST(Xlsx, TextsStayTextsAndNumbersAreNumbersUnderAnyLocale) {
    const fs::path dir = fs::temp_directory_path() / ("korvel-xlsx-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const bool comma = UseCommaLocale(dir);
    const fs::path path = dir / "t.xlsx";
    {
        XlsxSheet sheet(path, {"Итоги & выбросы", "Итоги", "korvel", "1.00.0007"});
        sheet.Text("Источник: =1+2");
        sheet.EndRow();
        const std::array<SheetColumn, 3> columns{{{"code", 8}, {"G", 14}, {"M", 14}}};
        sheet.Header(columns);
        sheet.Text("0143");
        sheet.Number(0.00016799, 8);
        sheet.Number(0.1 + 0.2, kDecimalsAsWritten);
        sheet.EndRow();
        sheet.TotalsRow();
        sheet.Text("итого");
        sheet.Empty();
        sheet.Number(-2.5, kDecimalsAsWritten);
        sheet.EndRow();
        sheet.Close();
    }
    setlocale(LC_NUMERIC, "C");

    auto cells = XlsxCells(path);
    EXPECT_TRUE(cells["A1"].text);
    EXPECT_EQ(cells["A1"].value, "Источник: =1+2");
    EXPECT_EQ(cells["C2"].value, "M");
    EXPECT_TRUE(cells["A3"].text);
    EXPECT_EQ(cells["A3"].value, "0143");
    EXPECT_FALSE(cells["B3"].text);
    EXPECT_EQ(std::strtod(cells["B3"].value.c_str(), nullptr), 0.00016799);
    // libxlsxwriter writes 16 significant digits: the last bit may differ.
    EXPECT_NEAR(std::strtod(cells["C3"].value.c_str(), nullptr), 0.1 + 0.2, 1e-16);
    EXPECT_EQ(cells["B4"].value, "");
    EXPECT_EQ(cells["C4"].value, "-2.5");

    const std::string sheet = testing::ReadZipEntry(path, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<pane ySplit="2" topLeftCell="A3" activePane="bottomLeft" state="frozen"/>)"),
              std::string::npos);
    EXPECT_NE(testing::ReadZipEntry(path, "xl/styles.xml").find(R"(formatCode="0.00000000")"), std::string::npos);
    EXPECT_NE(testing::ReadZipEntry(path, "docProps/core.xml").find("Итоги &amp; выбросы"), std::string::npos);
    EXPECT_NE(testing::ReadZipEntry(path, "docProps/custom.xml").find("1.00.0007"), std::string::npos);
    fs::remove_all(dir);
    if (!comma) GTEST_SKIP() << "no comma locale could be built: checked under the C locale only";
}

}  // namespace
}  // namespace korvel
