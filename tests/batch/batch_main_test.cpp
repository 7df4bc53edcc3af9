// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_main.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <numeric>
#include <regex>
#include <sstream>

#include "sheets/csv_reader.h"
#include "report/file_names.h"
#include "calc/closing_step.h"
#include "calc/number_rules.h"
#include "report/report_document.h"
#include "sheets/inventory_workbook.h"
#include "support/scratch_folder.h"
#include "support/workbook.h"
#include "support/xlsx_cells.h"

namespace korvel::batch {
namespace {

namespace fs = std::filesystem;
using Table = std::vector<std::vector<std::string>>;

constexpr const char* kHeader = "source;brand;consumption;hours;minutes;days;hours_per_year";

// A row as the batch reads it: each text as if typed into its window field.
RunInputs Row(std::string source, std::string brand, std::string consumption, std::string hours, std::string minutes,
              std::string days, std::string hoursPerYear) {
    const bool perYear = !hoursPerYear.empty();
    return RunInputs{perYear,         std::move(brand),  std::move(consumption), std::move(hours), std::move(minutes),
                     std::move(days), std::move(source), std::move(hoursPerYear)};
}

std::string CsvLine(const RunInputs& row, char delimiter) {
    std::string line;
    for (const std::string* field : {&row.sourceName, &row.brand, &row.yearlyConsumption, &row.hours, &row.minutes,
                                     &row.workingDays, &row.hoursPerYear}) {
        if (!line.empty() || field != &row.sourceName) line.push_back(delimiter);
        std::string quoted = "\"";
        for (const char c : *field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += quoted + "\"";
    }
    return line + "\r\n";
}

using testing::ReadBytes;

class Batch : public testing::ScratchFolderTest {
protected:
    fs::path Input(const std::string& text, const std::string& name = "in.csv") {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    }
    fs::path Input(const std::vector<RunInputs>& rows, char delimiter = ';', const std::string& prefix = "") {
        std::string text = prefix + kHeader + "\r\n";
        if (delimiter != ';') std::replace(text.begin(), text.end(), ';', delimiter);
        for (const RunInputs& row : rows) text += CsvLine(row, delimiter);
        return Input(text);
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return BatchMain(args, {out_, err_});
    }

    // The summary as records, its byte-order mark checked and dropped.
    Table Summary(const fs::path& path, char delimiter) {
        const std::string bytes = ReadBytes(path);
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        std::istringstream in(bytes);
        CsvReader reader(in);
        CsvRecord record;
        Table table;
        EXPECT_TRUE(reader.ReadHeader(record));
        EXPECT_EQ(reader.Delimiter(), delimiter);
        table.push_back(record.fields);
        while (reader.Next(record)) table.push_back(record.fields);
        return table;
    }

    std::ostringstream out_, err_;
};

const RunInputs kDailyExample = Row("__________", "УОНИ 13/45", "330.00", "1", "15", "365", "");
const RunInputs kPerYearExample = Row("__________", "УОНИ 13/45", "330.00", "1", "15", "365", "502");

// G and M of the eight substances, as the summary writes them.
std::vector<std::string> EmissionTexts(const CalcResults& results, char separator) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        texts.push_back(NumberText(results.maxEmission[i], separator));
        texts.push_back(NumberText(results.grossEmission[i], separator));
    }
    return texts;
}

TEST_F(Batch, EveryRowMatchesTheWindowAndItsReportBytes) {
    const std::vector<RunInputs> rows{
        kDailyExample,
        kPerYearExample,
        Row("Пост \"3\"; цех <1>", "АНО - 7", "1 000.5", "7", "59", "250", ""),
        Row("Участок 4", "Т - 590", "45", "", "", "", "1250,5"),
        Row("Участок 5", "ЭА - 981/15", "12", "", "", "", "0.25"),
    };
    for (const char separator : {',', '.'}) {
        SCOPED_TRACE(separator);
        const fs::path out = dir_ / (separator == ',' ? "comma" : "point");
        // A byte-order mark and the other input delimiter on one of the two passes.
        const fs::path input = separator == ',' ? Input(rows, ';', "\xEF\xBB\xBF") : Input(rows, ',');
        const int code = Run({input.string(), "-o", out.string(), std::string("--decimal-separator=") + separator});

        const char delimiter = separator == ',' ? ';' : ',';
        const Table summary = Summary(out / "summary.csv", delimiter);
        ASSERT_EQ(summary.size(), rows.size() + 2);
        EXPECT_EQ(std::vector<std::string>(summary[0].begin(), summary[0].begin() + 8),
                  (std::vector<std::string>{"row", "source", "brand", "status", "daily_consumption_kg",
                                            "welding_time_s", "G_0143_g_s", "M_0143_t_year"}));
        bool allOk = true;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(i);
            const RunOutcome run = Calculate(rows[i], separator);
            const std::vector<std::string>& line = summary[i + 1];
            ASSERT_EQ(line.size(), 22u);
            EXPECT_EQ(line[0], std::to_string(i + 1));
            EXPECT_EQ(line[1], rows[i].sourceName);
            const fs::path report = out / ReportFileName(i + 1, 4, rows[i].sourceName);
            if (!run.failure) {  // none of these rows sets a validation flag
                EXPECT_EQ(line[3], "ok");
                EXPECT_EQ(line[4], *run.dailyConsumptionText);
                EXPECT_EQ(line[5], *run.weldingSecondsText);
                EXPECT_EQ(std::vector<std::string>(line.begin() + 6, line.end()),
                          EmissionTexts(run.results, separator));
                EXPECT_EQ(ReadBytes(report), BuildReport(run.inputs, run.results, separator));
            } else {
                allOk = false;
                EXPECT_EQ(line[3], ErrorText(*run.failure));
                EXPECT_FALSE(fs::exists(report));
            }
        }
        EXPECT_EQ(code, allOk ? kExitAllOk : kExitSomeRowsFailed);
    }
    // "1250,5" is a number only with the comma, so the point run failed that row.
    EXPECT_EQ(Calculate(rows[3], '.').failure->Code(), FatalError::kTypeMismatch);
}

// The worked example, then a row for each way a row can fail, then a second
// good row; the fifth has no welding time.
std::vector<RunInputs> FailingRows() {
    RunInputs noBrand = kDailyExample, manyDays = kDailyExample, badHours = kPerYearExample, noTime = kDailyExample,
              unknownBrand = kDailyExample, second = kDailyExample;
    noBrand.brand = "";
    manyDays.workingDays = "400";
    badHours.hoursPerYear = "abc";
    noTime.hours = noTime.minutes = "0";
    unknownBrand.brand = "УОНИ 13/46";
    second.brand = "МР - 4";
    second.yearlyConsumption = "72";
    return {kDailyExample, noBrand, manyDays, badHours, noTime, unknownBrand, second};
}

TEST_F(Batch, FailedRowsAreMarkedAndLeftOutOfTheTotals) {
    const std::vector<RunInputs> rows = FailingRows();
    const fs::path out = dir_ / "out";
    // A report of an earlier batch under a failed row's name must go.
    fs::create_directories(out);
    std::ofstream(out / ReportFileName(5, 4, rows[4].sourceName)) << "stale";

    ASSERT_EQ(Run({Input(rows).string(), "-o", out.string(), "--decimal-separator", ","}), kExitSomeRowsFailed);

    const Table summary = Summary(out / "summary.csv", ';');
    ASSERT_EQ(summary.size(), rows.size() + 2);
    const std::string failed(kFailedRunText);
    const struct {
        std::string status, text5, text6;
        bool report;
    } expected[] = {
        {"ok", "0,9", "4500", true},
        {"Марка электрода не выбрана !!!", failed, failed, true},
        {"Слишком много рабочих дней в году !!!", failed, failed, true},
        {"Ошибка 13: Несоответствие типа", "", "", false},
        {"Ошибка 11: Деление на ноль", "0,9", "0", false},
        {"марка электрода «УОНИ 13/46» не из списка марок", "", "", false},
        {"ok", "0,2", "4500", true},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::string>& line = summary[i + 1];
        EXPECT_EQ(line[3], expected[i].status);
        EXPECT_EQ(line[4], expected[i].text5);
        EXPECT_EQ(line[5], expected[i].text6);
        EXPECT_EQ(fs::exists(out / ReportFileName(i + 1, 4, rows[i].sourceName)), expected[i].report);
        // A run that stopped has no G and M.
        EXPECT_EQ(line[6].empty(), !expected[i].report);
        if (expected[i].status != "ok") {
            EXPECT_NE(err_.str().find("строка " + std::to_string(i + 1) + " "), std::string::npos) << err_.str();
        }
    }
    // Totals: M of the two ok rows only, summed in row order.
    const std::vector<std::string>& totals = summary.back();
    EXPECT_EQ(totals[0], "итого");
    const CalcResults first = Calculate(rows[0], ',').results;
    const CalcResults last = Calculate(rows[6], ',').results;
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_EQ(totals[6 + 2 * i], "");
        EXPECT_EQ(totals[7 + 2 * i], NumberText(first.grossEmission[i] + last.grossEmission[i], ','));
    }
}

// An empty brand and no welding time: the message box, then error 6.
TEST_F(Batch, AStatusListsTheMessagesBeforeTheError) {
    RunInputs both = FailingRows()[4];
    both.brand = "";
    const fs::path out = dir_ / "out";
    ASSERT_EQ(Run({Input({both}).string(), "-o", out.string(), "--decimal-separator", ","}), kExitSomeRowsFailed);
    EXPECT_EQ(Summary(out / "summary.csv", ';')[1][3], "Марка электрода не выбрана !!!; Ошибка 6: Переполнение");
}

// The column letters of a summary sheet: A (row) to V (M of the last substance).
std::string ColumnLetter(std::size_t index) { return std::string(1, static_cast<char>('A' + index)); }

// One station's line of a summary sheet against its own run; adds its M to
// `totals` when the run is good.
void ExpectSheetRow(std::map<std::string, testing::XlsxCell>& cells, std::size_t r, const RunInputs& typed,
                    std::array<double, kSubstanceCount>& totals) {
    SCOPED_TRACE(r);
    const std::string line = std::to_string(r + 2);
    const auto at = [&](std::size_t column) { return cells[ColumnLetter(column) + line]; };
    const RunOutcome run = Calculate(typed, ',');
    EXPECT_EQ(at(0).value, std::to_string(r + 1));
    EXPECT_TRUE(at(1).text && at(2).text && at(3).text);
    EXPECT_EQ(at(1).value, typed.sourceName);
    EXPECT_EQ(at(2).value, typed.brand);
    if (run.failure) {
        EXPECT_EQ(at(3).value, ErrorText(*run.failure));
        EXPECT_EQ(at(6).value, "");
        return;
    }
    if (CloseRun(run).showsReport) {
        EXPECT_FALSE(at(4).text);
        EXPECT_EQ(std::stod(at(4).value), run.results.dailyConsumption);
        EXPECT_EQ(std::stod(at(5).value), ToNumber(*run.weldingSecondsText, ','));
        for (std::size_t i = 0; i < kSubstanceCount; ++i) totals[i] += run.results.grossEmission[i];
    } else {
        EXPECT_TRUE(at(4).text);
        EXPECT_EQ(at(4).value, kFailedRunText);
    }
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_FALSE(at(6 + 2 * i).text || at(7 + 2 * i).text);
        EXPECT_EQ(std::stod(at(6 + 2 * i).value), run.results.maxEmission[i]);
        // 16 significant digits: the last bit of M may differ.
        EXPECT_NEAR(std::stod(at(7 + 2 * i).value), run.results.grossEmission[i], 1e-18);
    }
}

TEST_F(Batch, XlsxSummaryHoldsTextsAsTextsAndNumbersAsExactNumbers) {
    RunInputs formula = kPerYearExample, manyDays = kDailyExample, stopped = kPerYearExample;
    formula.sourceName = "=1+2";
    formula.brand = "АНО - 7";
    manyDays.workingDays = "400";
    stopped.hoursPerYear = "abc";
    const std::vector<RunInputs> rows{kDailyExample, formula, manyDays, stopped};
    const fs::path summary = dir_ / "summary.xlsx";
    ASSERT_EQ(Run({Input(rows).string(), "--summary", summary.string(), "--summary-only", "--decimal-separator=,"}),
              kExitSomeRowsFailed);

    auto cells = testing::XlsxCells(summary);
    EXPECT_EQ(cells["E1"].value, "daily_consumption_kg");
    EXPECT_EQ(cells["V1"].value, "M_0337_t_year");
    std::array<double, kSubstanceCount> totals{};
    for (std::size_t r = 0; r < rows.size(); ++r) ExpectSheetRow(cells, r, rows[r], totals);
    const std::string totalsLine = std::to_string(rows.size() + 2);
    EXPECT_EQ(cells["A" + totalsLine].value, "итого");
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        EXPECT_NEAR(std::stod(cells[ColumnLetter(7 + 2 * i) + totalsLine].value), totals[i], 1e-18);
    }
}

// Rows of every kind, enough for several chunks and threads.
std::vector<RunInputs> ManyRows(std::size_t count) {
    std::vector<RunInputs> rows;
    for (std::size_t i = 0; i < count; ++i) {
        RunInputs row = i % 3 == 0 ? kPerYearExample : kDailyExample;
        row.sourceName = "Пост " + std::to_string(i);
        row.brand = std::string(BrandTable[i % kBrandCount].name);
        row.yearlyConsumption = std::to_string(10 + i % 500);
        if (i % 7 == 0) row.workingDays = "400";
        if (i % 11 == 0) row.hoursPerYear = i % 2 ? "x" : "";
        rows.push_back(row);
    }
    return rows;
}

// Every file in a folder by name, with its bytes.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename()] = ReadBytes(entry.path());
    return files;
}

TEST_F(Batch, OutputIsTheSameOnOneThreadAndOnMany) {
    const auto run = [&](const fs::path& input, const std::string& jobs, const fs::path& out, bool reports) {
        std::vector<std::string> args{input.string(), "-o", out.string(), "-j" + jobs, "--decimal-separator=,"};
        if (!reports) args.push_back("--summary-only");
        EXPECT_EQ(Run(args), kExitSomeRowsFailed);
        return err_.str();
    };
    // Several chunks: the summary and the failed rows on stderr.
    const fs::path many = Input(ManyRows(5000));
    EXPECT_EQ(run(many, "1", dir_ / "one", false), run(many, "3", dir_ / "three", false));
    EXPECT_EQ(ReadBytes(dir_ / "one" / "summary.csv"), ReadBytes(dir_ / "three" / "summary.csv"));
    // The reports, written side by side.
    const fs::path few = Input(ManyRows(300));
    run(few, "1", dir_ / "one-reports", true);
    run(few, "3", dir_ / "three-reports", true);
    const auto reports = Files(dir_ / "one-reports");
    EXPECT_EQ(reports.size(), 300 - 14 + 1);  // the odd multiples of 11 stop; one summary
    EXPECT_EQ(reports, Files(dir_ / "three-reports"));
}

// A batch run again replaces each report by a new file: one that is still
// held elsewhere (a hard link, a reader that has it open) keeps its bytes.
TEST_F(Batch, AReportHeldElsewhereKeepsItsBytesWhenTheBatchRunsAgain) {
    RunInputs a = kDailyExample, b = kPerYearExample;
    a.sourceName = "A";
    b.sourceName = "B";
    const fs::path out = dir_ / "out";
    const fs::path reportA = out / ReportFileName(1, 4, "A");
    ASSERT_EQ(Run({Input({a, b}).string(), "-o", out.string(), "--jobs=1"}), kExitAllOk);
    const std::string firstA = ReadBytes(reportA);
    fs::create_hard_link(reportA, dir_ / "keep-A.htm");

    a.yearlyConsumption = b.yearlyConsumption = "72";
    ASSERT_EQ(Run({Input({a, b}).string(), "-o", out.string(), "--jobs=1"}), kExitAllOk);
    EXPECT_TRUE(ReadBytes(dir_ / "keep-A.htm") == firstA);  // not B's report, not the new A
    EXPECT_TRUE(ReadBytes(reportA) != firstA);
}

TEST_F(Batch, ColumnsAreFoundByNameInAnyOrder) {
    const fs::path input = Input(
        "Note, Hours_Per_Year ,DAYS,minutes,hours,consumption,brand,source\n"
        "x,,365,15,1,330,УОНИ 13/45,А\n"
        "y,502,,,,330,УОНИ 13/45,Б\n");
    ASSERT_EQ(Run({input.string(), "-o", (dir_ / "o").string(), "--summary-only", "--decimal-separator=."}),
              kExitAllOk);
    const Table summary = Summary(dir_ / "o" / "summary.csv", ',');
    EXPECT_EQ(summary[1][4], "0.9");
    EXPECT_EQ(summary[2][5], "1807200");
    EXPECT_EQ(summary[1][6], NumberText(Calculate(kDailyExample, '.').results.maxEmission[0], '.'));
    EXPECT_EQ(summary[2][6], NumberText(Calculate(kPerYearExample, '.').results.maxEmission[0], '.'));
    // --summary-only: the run happens, no report file is written.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "o"), fs::directory_iterator()), 1);
}

TEST_F(Batch, BadInputStopsBeforeAnythingIsWritten) {
    const std::string header = std::string(kHeader) + "\n";
    const std::string good = "A;УОНИ 13/45;330;1;15;365;\n";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> mentions;
    } cases[] = {
        {"a missing column", "source;brand;consumption;hours;days\n" + good, {"строка файла 1", "minutes"}},
        {"a doubled column",
         header.substr(0, header.size() - 1) + ";brand\n",
         {"строка файла 1", "столбец 8", "brand"}},
        {"Windows-1251",
         header + good + "\xCF\xEE\xF1\xF2;УОНИ 13/45;330;1;15;365;\n",
         {"строка файла 3", "столбец 1 (source)", "UTF-8"}},
        {"too few fields", header + good + good + "B;УОНИ 13/45;330\n", {"строка файла 4", "полей 3"}},
        {"an unclosed quote", header + "\"A;УОНИ 13/45;330;1;15;365;\n" + good, {"строка файла 2", "кавычка"}},
        {"an empty file", "", {"пуст"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir_ / "never";
        EXPECT_EQ(Run({Input(c.text).string(), "-o", out.string()}), kExitBadInput);
        for (const std::string& part : c.mentions) EXPECT_NE(err_.str().find(part), std::string::npos) << err_.str();
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(Batch, AWorkbookIsReadAsTheSameRowsInCsv) {
    const fs::path book = Input(testing::Workbook({{"source", "brand", "consumption", "hours", "minutes", "days",
                                                     "hours_per_year"},
                                                    {"А", "УОНИ 13/45", "#330.5", "#1", "#15", "#365"},
                                                    {},
                                                    {"Б", "УОНИ 13/45", "#330", "", "", "", "#502.5"}}),
                                "in.xlsx");
    const fs::path csv = Input("source;brand;consumption;hours;minutes;days;hours_per_year\n"
                               "А;УОНИ 13/45;330.5;1;15;365;\n\nБ;УОНИ 13/45;330;;;;502,5\n");
    for (const fs::path& input : {book, csv}) {
        ASSERT_EQ(Run({input.string(), "-o", (dir_ / input.extension()).string(), "--decimal-separator=,"}),
                  kExitAllOk) << err_.str();
    }
    EXPECT_EQ(ReadBytes(dir_ / ".xlsx" / "summary.csv"), ReadBytes(dir_ / ".csv" / "summary.csv"));
    const std::string report = ReportFileName(3, RowNumberWidth(3), "Б");
    ASSERT_TRUE(fs::exists(dir_ / ".csv" / report));
    EXPECT_EQ(ReadBytes(dir_ / ".xlsx" / report), ReadBytes(dir_ / ".csv" / report));
    const std::string broken = ReadBytes(book).substr(0, 100);
    EXPECT_EQ(Run({Input(broken, "in.xlsx").string(), "-o", (dir_ / "never").string()}), kExitBadInput);
    EXPECT_EQ(err_.str(), "korvel-batch: in.xlsx: не читается как книга XLSX: это не архив ZIP\n");
    EXPECT_FALSE(fs::exists(dir_ / "never"));
}

TEST_F(Batch, NumbersReadInPartAreToldAndTheSummaryStaysAsItWas) {
    const std::string header = "hours;source;brand;consumption;minutes;days;hours_per_year\n";
    const fs::path typed = Input(header + "1;А;УОНИ 13/45;200,5;15 мин;365;\nабв;Б;УОНИ 13/45;1e;;;502\n", "typed.csv");
    const fs::path read = Input(header + "1;А;УОНИ 13/45;200;15;365;\n;Б;УОНИ 13/45;1;;;502\n", "read.csv");
    ASSERT_EQ(Run({read.string(), "-o", (dir_ / "read").string(), "--summary-only"}), kExitAllOk);
    EXPECT_EQ(err_.str(), "");
    ASSERT_EQ(Run({typed.string(), "-o", (dir_ / "typed").string(), "--summary-only"}), kExitAllOk);
    EXPECT_EQ(err_.str(),
              "typed.csv, строка файла 2, столбец 4 (consumption): «200,5» прочитано как 200\n"
              "typed.csv, строка файла 2, столбец 5 (minutes): «15 мин» прочитано как 15\n"
              "typed.csv, строка файла 3, столбец 4 (consumption): «1e» прочитано как 1\n");
    EXPECT_EQ(ReadBytes(dir_ / "typed" / "summary.csv"), ReadBytes(dir_ / "read" / "summary.csv"));
}

TEST_F(Batch, UsageAndFileSystemErrorsExitWithTwo) {
    const std::string input = Input({kDailyExample}).string();
    std::ofstream(dir_ / "plain-file") << "x";
    const struct {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{}, "входной"},
        {{input, "extra.csv"}, "extra.csv"},
        {{input, "--frobnicate"}, "--frobnicate"},
        {{input, "--decimal-separator", ";"}, "--decimal-separator"},
        {{input, "-o"}, "-o"},
        {{(dir_ / "missing.csv").string()}, "missing.csv"},
        {{input, "-o", (dir_ / "plain-file" / "sub").string()}, "plain-file"},
        {{input, "--summary", (dir_ / "no-such-dir" / "s.csv").string(), "--summary-only"}, "s.csv"},
        {{input, "--summary", input}, "in.csv"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), kExitBadInput) << ::testing::PrintToString(c.args);
        EXPECT_NE(err_.str().find(c.mentions), std::string::npos) << err_.str();
    }
    EXPECT_EQ(Run({"--version"}), kExitAllOk);
    EXPECT_TRUE(std::regex_match(out_.str(), std::regex("korvel-batch \\d+\\.\\d{2}\\.\\d{4}\n"))) << out_.str();
    EXPECT_EQ(Run({"--help"}), kExitAllOk);
    EXPECT_NE(out_.str().find("--summary-only"), std::string::npos);
}

TEST_F(Batch, SummaryGoesWhereAskedAndQuietSaysNothing) {
    RunInputs failing = kDailyExample;
    failing.workingDays = "0";
    const fs::path summary = dir_ / "elsewhere.csv";
    std::ofstream(summary) << "old";
    EXPECT_EQ(Run({Input({failing}).string(), "--summary", summary.string(), "--summary-only", "--quiet"}),
              kExitSomeRowsFailed);
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(err_.str(), "");
    EXPECT_EQ(Summary(summary, ',').at(1).at(3), "Рабочих дней в году не может быть 0 !!!");
    // Only the summary itself: no temporary file stays beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(Batch, AnInterruptedBatchLeavesNoSummary) {
    const std::atomic<bool> stop{true};
    const fs::path out = dir_ / "out";
    EXPECT_EQ(BatchMain(std::vector<std::string>{Input({kDailyExample}).string(), "-o", out.string()},
                        {out_, err_, false, &stop}),
              kExitInterrupted);
    EXPECT_TRUE(fs::is_empty(out));
}

// Output that cannot be written. Each case runs the batch in a child process,
// which first makes the output folder fail: a small or read-only file system
// mounted over it (in a mount namespace of the child's own, gone with it), or
// a file size limit.
bool WriteText(const char* path, const std::string& text) {
    std::ofstream file(path);
    return static_cast<bool>(file << text << std::flush);
}

bool OwnMounts() {
    if (unshare(CLONE_NEWNS) != 0) {  // not root: root of a user namespace then
        const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !WriteText("/proc/self/setgroups", "deny") ||
            !WriteText("/proc/self/uid_map", "0 " + uid + " 1") || !WriteText("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool SmallDisk(const fs::path& out) { return OwnMounts() && mount("tmpfs", out.c_str(), "tmpfs", 0, "size=64k") == 0; }

bool ReadOnlyDisk(const fs::path& out) {
    return OwnMounts() && mount(out.c_str(), out.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, out.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool SmallFiles(const fs::path&) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16384, 16384};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

constexpr int kCannotPrepare = 99;

// What the batch left: its exit code and stderr, how many of the rows' reports
// are there whole, and the names of any other files in the output folder.
struct Aftermath {
    int code = -1;
    std::size_t wholeReports = 0;
    std::string others;
    std::string err;
};

Aftermath BatchInChild(const std::function<bool(const fs::path&)>& prepare, const std::vector<std::string>& args,
                       const fs::path& out, const std::vector<RunInputs>& rows) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        if (!prepare(out)) _exit(kCannotPrepare);
        std::ostringstream ignored, err;
        Aftermath after{BatchMain(args, {ignored, err}), 0, "", err.str()};
        for (const auto& entry : fs::directory_iterator(out)) {
            const std::string name = entry.path().filename().string();
            bool whole = false;
            for (std::size_t i = 0; i < rows.size() && !whole; ++i) {
                const RunOutcome run = Calculate(rows[i], ',');
                whole = name == ReportFileName(i + 1, 4, rows[i].sourceName) &&
                        ReadBytes(entry.path()) == BuildReport(run.inputs, run.results, ',');
            }
            if (whole) {
                ++after.wholeReports;
            } else {
                after.others += name + " ";
            }
        }
        const std::string said = std::to_string(after.code) + "\n" + std::to_string(after.wholeReports) + "\n" +
                                 after.others + "\n" + after.err;
        _exit(write(pipeFds[1], said.data(), said.size()) == static_cast<ssize_t>(said.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return {};
    Aftermath after;
    after.code = kCannotPrepare;
    if (WEXITSTATUS(status) == kCannotPrepare) return after;
    std::istringstream lines(said);
    std::string code, whole;
    std::getline(lines, code);
    std::getline(lines, whole);
    std::getline(lines, after.others);
    after.code = std::stoi(code);
    after.wholeReports = std::stoul(whole);
    after.err.assign(std::istreambuf_iterator<char>(lines), {});
    return after;
}

// A batch stopped by its output: the input-error code, one message that says
// what, whole reports only, and nothing half written.
void ExpectStoppedWithOneMessage(const Aftermath& after, const std::vector<std::string>& mentions,
                                 std::size_t fewestReports, std::size_t mostReports) {
    EXPECT_EQ(after.code, kExitBadInput);
    EXPECT_EQ(std::count(after.err.begin(), after.err.end(), '\n'), 1) << after.err;
    for (const std::string& part : mentions) EXPECT_NE(after.err.find(part), std::string::npos) << after.err;
    EXPECT_GE(after.wholeReports, fewestReports);
    EXPECT_LE(after.wholeReports, mostReports);
    EXPECT_EQ(after.others, "");  // no part of a report, no temporary file
}

TEST_F(Batch, AnOutputThatCannotBeWrittenStopsTheBatchWithOneMessage) {
    std::vector<RunInputs> stations = ManyRows(30);
    for (RunInputs& row : stations) row.hoursPerYear = row.perYearMode ? "502" : "";
    RunInputs huge = kDailyExample;
    huge.sourceName = std::string(20000, 'x');  // a report beyond the file size limit
    const std::vector<RunInputs> third{kDailyExample, kPerYearExample, huge, kDailyExample};
    const struct {
        const char* name;
        std::function<bool(const fs::path&)> prepare;
        const std::vector<RunInputs>& rows;
        bool summaryOnly;
        std::vector<std::string> mentions;
        std::size_t fewestReports, mostReports;
    } cases[] = {
        {"disk full",
         SmallDisk,
         stations,
         false,
         {"Ошибка 61: ", "на диске нет свободного места", "пакет остановлен"},
         1,
         29},
        {"read-only", ReadOnlyDisk, stations, false, {"Ошибка 70: ", "диск доступен только для чтения", "0001-"}, 0, 0},
        {"a report too large",
         SmallFiles,
         third,
         false,
         {"Ошибка 61: Не удалось записать файл отчета «", "0003-", "файл слишком велик"},
         2,
         2},
        {"the summary too large", SmallFiles, ManyRows(300), true, {"Не удалось записать сводку", "summary.csv"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir_ / c.name, summary = dir_ / "summary.csv";
        fs::create_directories(out);
        std::vector<std::string> args{Input(c.rows).string(),  "-o",  out.string(), "--summary", summary.string(),
                                      "--decimal-separator=,", "-j1", "-q"};
        if (c.summaryOnly) args.push_back("--summary-only");
        const Aftermath after = BatchInChild(c.prepare, args, out, c.rows);
        if (after.code == kCannotPrepare) {
            std::cout << "[  SKIPPED ] " << c.name << ": no file system can be mounted here\n";
            continue;
        }
        ExpectStoppedWithOneMessage(after, c.mentions, c.fewestReports, c.mostReports);
        EXPECT_FALSE(fs::exists(summary));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 5);  // input and four folders
}

// A bad parameter stops the batch before anything is written, with one
// message naming the line and the column.
TEST_F(Batch, BadPollutionSourceParametersStopTheBatchAndWriteNothing) {
    const fs::path input = Input("source;pollution_source;brand;consumption;hours;minutes;days\r\n"
                                 "Пост 1;0001;УОНИ 13/45;330;1;15;365\r\nПост 2;1;АНО - 4;200;2;0;250\r\n");
    const std::string header = "pollution_source;name;simultaneous;cleaning_0143\r\n";
    const struct {
        std::string lines, message;
    } cases[] = {
        {"0001;Труба;;100,5", "строка файла 2, столбец 4 (cleaning_0143): «100,5»: степень очистки - от 0 до 100 %"},
        {"0001;Труба;;-1", "строка файла 2, столбец 4 (cleaning_0143): «-1»: степень очистки - от 0 до 100 %"},
        {"0001;Труба;;10 %", "строка файла 2, столбец 4 (cleaning_0143): «10 %»: степень очистки - не число"},
        {"0001;Труба;0;", "строка файла 2, столбец 3 (simultaneous): «0»: число одновременно работающих постов - "
                          "целое число от 1 до числа постов ИЗА"},
        {"0001;Труба;1,5;", "строка файла 2, столбец 3 (simultaneous): «1,5»: число одновременно работающих постов - "
                            "целое число от 1 до числа постов ИЗА"},
        {"0001;Труба;3;", "строка файла 2, столбец 3 (simultaneous): «3»: одновременно работающих постов больше, чем "
                          "постов ИЗА (2)"},
        {"0001;Труба;;\r\n;;;\r\n1;Труба;;", "строка файла 4, столбец 1 (pollution_source): ИЗА «1» уже задан в строке "
                                           "файла 2"},
        {"A1;Труба;;", "строка файла 2, столбец 1 (pollution_source): «A1»: номер ИЗА - от 1 до 4 цифр"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const fs::path parameters = Input(header + c.lines + "\r\n", "iza.csv"), out = dir_ / "out";
        EXPECT_EQ(Run({input.string(), "-o", out.string(), "--pollution-sources", parameters.string()}), kExitBadInput);
        EXPECT_EQ(err_.str(), "korvel-batch: iza.csv, " + c.message + "\n");
        EXPECT_FALSE(fs::exists(out));
    }
}

// The page's whole inventory as input: the posts of its first sheet, the
// parameters of its second, checked as a parameters file is; a parameters
// file given as well is taken in their place.
TEST_F(Batch, AWholeInventoryWorkbookBringsItsParameters) {
    const std::string posts = "source;pollution_source;brand;consumption;hours;minutes;days;hours_per_year\r\n"
                              "Пост 1;0001;УОНИ 13/45;330;1;15;365;\r\nПост 2;1;АНО - 4;330.00;2;0;250;\r\n"
                              "Пост 3;;МР - 3;45;;;;1250,5\r\n";
    const std::string header = "pollution_source;name;simultaneous;cleaning_0143\r\n";
    const auto book = [&](const std::string& simultaneous) {
        std::istringstream in(posts);
        StationsTable table("in.csv", CsvRecords(in), ',');
        std::vector<StationInputs> rows;
        for (StationRow row; table.Next(row);) rows.push_back(row.typed);
        const PollutionSourceParameters stack{"0001", "Труба", simultaneous, {"37,5"}};
        WriteInventoryWorkbook(dir_ / "in.xlsx", "Цех", "test", rows.size(),
                               [&](std::size_t i) -> const StationInputs& { return rows[i]; }, {stack}, ',');
        return dir_ / "in.xlsx";
    };
    const fs::path csv = Input(posts), parameters = Input(header + "0001;Труба;1;37,5\r\n", "iza.csv");
    const fs::path other = Input(header + "0001;Другая;;90\r\n", "other.csv");
    const auto run = [&](const fs::path& input, const std::string& out, std::vector<std::string> more) {
        std::vector<std::string> args{input.string(), "-o", (dir_ / out).string(), "--decimal-separator=,"};
        args.insert(args.end(), more.begin(), more.end());
        EXPECT_EQ(Run(args), kExitAllOk) << err_.str();
        return ReadBytes(dir_ / out / "pollution_sources.csv");
    };
    EXPECT_EQ(run(book("1"), "book", {}), run(csv, "csv", {"--pollution-sources", parameters.string()}));
    EXPECT_EQ(run(book("1"), "both", {"--pollution-sources", other.string()}),
              run(csv, "other", {"--pollution-sources", other.string()}));
    Run({book("1").string(), "-o", (dir_ / "both").string(), "--pollution-sources", other.string()});
    EXPECT_EQ(err_.str(), "korvel-batch: предупреждение: параметры ИЗА из книги «in.xlsx» не использованы: заданы "
                          "--pollution-sources\n");
    EXPECT_EQ(Run({book("3").string(), "-o", (dir_ / "never").string()}), kExitBadInput);
    EXPECT_EQ(err_.str(), "korvel-batch: in.xlsx, лист «Параметры ИЗА», строка файла 2, столбец 3 (simultaneous): "
                          "«3»: одновременно работающих постов больше, чем постов ИЗА (2)\n");
    EXPECT_FALSE(fs::exists(dir_ / "never"));
}

}  // namespace
}  // namespace korvel::batch
