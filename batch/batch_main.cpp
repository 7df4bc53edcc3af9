// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_main.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "batch/csv_reader.h"
#include "batch/file_names.h"
#include "batch/progress_bar.h"
#include "batch/report_files.h"
#include "batch/station_run.h"
#include "batch/summary.h"
#include "calc/regional.h"
#include "report/atomic_file.h"
#include "report/report_document.h"

namespace korvel::batch {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHelp =
    "Использование: korvel-batch [параметры] ФАЙЛ.csv\n"
    "\n"
    "Рассчитывает выбросы для каждого источника (строки) CSV-файла так же, как окно\n"
    "программы, пишет отчет по каждому источнику и сводную таблицу с итогами.\n"
    "\n"
    "Входной файл: UTF-8 (BOM допускается), первая строка - заголовок, разделитель\n"
    "';' или ',' (определяется по заголовку), поля в кавычках по RFC 4180.\n"
    "Столбцы: source, brand, consumption, hours, minutes, days - обязательны;\n"
    "hours_per_year - необязателен: строка, где он не пуст, считается по общему\n"
    "времени работы в год, остальные - по времени сварки в день.\n"
    "\n"
    "Параметры:\n"
    "  -o, --output-dir ПАПКА      папка для отчетов и сводки (по умолчанию текущая;\n"
    "                              создается, если ее нет)\n"
    "      --summary ФАЙЛ          путь сводной таблицы (по умолчанию ПАПКА/summary.csv)\n"
    "      --summary-only          только сводная таблица, без файлов отчетов\n"
    "      --decimal-separator , | .\n"
    "                              десятичный разделитель (по умолчанию из настроек\n"
    "                              языка и региона)\n"
    "      --quiet                 не выводить ничего, кроме ошибок входных данных\n"
    "      --help                  эта справка\n"
    "      --version               версия\n"
    "\n"
    "Код возврата: 0 - все строки рассчитаны без ошибок; 1 - в части строк ошибки\n"
    "(см. столбец status сводки); 2 - ошибка параметров, входного файла, папки\n"
    "или сводки; 130 - прервано.\n";

struct Options {
    fs::path input;
    fs::path outputDir = ".";
    std::optional<fs::path> summary;
    bool summaryOnly = false;
    bool quiet = false;
    char separator = '.';
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An error that ends the batch before or instead of its normal end.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Column { Source, Brand, Consumption, Hours, Minutes, Days, HoursPerYear };
constexpr std::size_t kColumnCount = 7;
constexpr std::array<std::string_view, kColumnCount> kColumnNames{"source",  "brand", "consumption",   "hours",
                                                                  "minutes", "days",  "hours_per_year"};
constexpr bool IsRequired(Column column) { return column != Column::HoursPerYear; }

// Where each known column stands in the records (a missing optional column
// has no position).
struct ColumnMap {
    std::array<std::optional<std::size_t>, kColumnCount> position;
    std::vector<std::string> headerNames;  // every header field as written, for messages
    std::size_t fieldCount = 0;
};

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

std::string Where(const fs::path& file, std::size_t line, std::size_t field, const ColumnMap* columns) {
    std::string where = file.filename().string() + ", строка файла " + std::to_string(line);
    if (field > 0) {
        where += ", столбец " + std::to_string(field);
        if (columns && field <= columns->headerNames.size()) where += " (" + columns->headerNames[field - 1] + ")";
    }
    return where;
}

std::string Describe(const CsvError& error, const fs::path& file, const ColumnMap* columns) {
    std::string message = Where(file, error.Line(), error.Field(), columns) + ": " + error.what();
    if (std::string_view(error.what()).find("UTF-8") != std::string_view::npos) {
        message += "; сохраните файл в кодировке UTF-8 (в Excel: «CSV UTF-8»)";
    }
    return message;
}

ColumnMap MapColumns(const CsvRecord& header, const fs::path& file) {
    ColumnMap map;
    map.fieldCount = header.fields.size();
    map.headerNames = header.fields;
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = ColumnKey(header.fields[i]);
        for (std::size_t c = 0; c < kColumnCount; ++c) {
            if (name != kColumnNames[c]) continue;
            if (map.position[c]) {
                throw InputError(Where(file, header.line, i + 1, nullptr) + ": столбец «" +
                                 std::string(kColumnNames[c]) + "» встречается в заголовке дважды");
            }
            map.position[c] = i;
        }
    }
    std::string missing;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        if (IsRequired(static_cast<Column>(c)) && !map.position[c]) {
            missing += missing.empty() ? "" : ", ";
            missing += kColumnNames[c];
        }
    }
    if (!missing.empty()) {
        throw InputError(Where(file, header.line, 0, nullptr) + ": в заголовке нет обязательных столбцов: " + missing +
                         " (нужны source, brand, consumption, hours, minutes, days; разделитель ';' или ',')");
    }
    return map;
}

void CheckFieldCount(const CsvRecord& record, const ColumnMap& columns, const fs::path& file) {
    if (record.fields.size() == columns.fieldCount) return;
    throw InputError(Where(file, record.line, 0, nullptr) + ": полей " + std::to_string(record.fields.size()) +
                     ", а в заголовке " + std::to_string(columns.fieldCount) +
                     " (поле с разделителем внутри нужно заключить в кавычки)");
}

// The row's texts, each as if typed into its window field; a row with hours
// per year is computed in per-year mode.
void FillRow(const CsvRecord& record, const ColumnMap& columns, RunInputs& row) {
    const auto take = [&](Column column, std::string& into) {
        const auto& position = columns.position[static_cast<std::size_t>(column)];
        if (position) {
            into.assign(record.fields[*position]);
        } else {
            into.clear();
        }
    };
    take(Column::Source, row.sourceName);
    take(Column::Brand, row.brand);
    take(Column::Consumption, row.yearlyConsumption);
    take(Column::Hours, row.hours);
    take(Column::Minutes, row.minutes);
    take(Column::Days, row.workingDays);
    take(Column::HoursPerYear, row.hoursPerYear);
    row.perYearMode = !row.hoursPerYear.empty();
}

std::string NextValue(std::span<const std::string> args, std::size_t& i, std::string_view option,
                      std::optional<std::string>& inlineValue) {
    if (inlineValue) return *std::exchange(inlineValue, std::nullopt);
    if (i + 1 >= args.size()) throw UsageError("параметру " + std::string(option) + " нужно значение");
    return args[++i];
}

// Parses the arguments; returns an exit code when the program is done
// (help, version), nothing when it should go on.
std::optional<int> ParseOptions(std::span<const std::string> args, Options& options, std::ostream& out) {
    bool separatorGiven = false;
    bool inputGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (inputGiven) throw UsageError("лишний аргумент «" + arg + "»: нужен один входной файл");
            options.input = arg;
            inputGiven = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
        }
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return kExitAllOk;
        } else if (arg == "--version") {
            out << kVersionText << '\n';
            return kExitAllOk;
        } else if (arg == "-o" || arg == "--output-dir") {
            options.outputDir = NextValue(args, i, arg, inlineValue);
            if (options.outputDir.empty()) throw UsageError("пустое имя папки в " + arg);
        } else if (arg == "--summary") {
            options.summary = NextValue(args, i, arg, inlineValue);
            if (options.summary->empty()) throw UsageError("пустое имя файла в --summary");
        } else if (arg == "--decimal-separator") {
            const std::string value = NextValue(args, i, arg, inlineValue);
            if (value != "," && value != ".")
                throw UsageError("--decimal-separator: нужна ',' или '.', а не «" + value + "»");
            options.separator = value[0];
            separatorGiven = true;
        } else if (arg == "--summary-only") {
            options.summaryOnly = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else {
            throw UsageError("неизвестный параметр «" + args[i] + "»");
        }
        if (inlineValue) throw UsageError("параметр " + arg + " не принимает значения");
    }
    if (!inputGiven) throw UsageError("не указан входной CSV-файл");
    if (!separatorGiven) options.separator = SystemDecimalSeparator();
    return std::nullopt;
}

std::ifstream OpenInput(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw InputError("«" + path.string() + "» - папка, а не файл");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError("не удается открыть файл «" + path.string() + "»: " + std::strerror(errno));
    return in;
}

// The first pass: the header, every record's shape and encoding, and the
// number of data rows, before anything is written.
std::size_t CheckInput(const Options& options) {
    std::ifstream in = OpenInput(options.input);
    std::optional<ColumnMap> columns;
    try {
        CsvReader reader(in);
        CsvRecord record;
        if (!reader.ReadHeader(record)) throw InputError(options.input.string() + ": файл пуст");
        columns = MapColumns(record, options.input);
        std::size_t rows = 0;
        while (reader.Next(record)) {
            ++rows;
            if (!record.IsBlank()) CheckFieldCount(record, *columns, options.input);
        }
        if (in.bad()) throw InputError("ошибка чтения файла «" + options.input.string() + "»");
        return rows;
    } catch (const CsvError& error) {
        throw InputError(Describe(error, options.input, columns ? &*columns : nullptr));
    }
}

void MakeOutputDir(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        throw InputError("не удается создать папку «" + dir.string() +
                         "»: " + (ec ? ec.message() : std::string("такое имя занято файлом")));
    }
}

struct Tally {
    std::size_t records = 0;  // data records read, blank ones included: the row numbers
    std::size_t computed = 0;
    std::size_t failed = 0;
};

int RunBatch(const Options& options, BatchStreams& streams) {
    const std::size_t rowCount = CheckInput(options);
    const bool needDir = !options.summaryOnly || !options.summary;
    const fs::path summaryPath = options.summary ? *options.summary : options.outputDir / "summary.csv";
    if (std::error_code ec; fs::equivalent(options.input, summaryPath, ec)) {
        throw InputError("сводка «" + summaryPath.string() + "» заменила бы входной файл");
    }
    if (needDir) MakeOutputDir(options.outputDir);

    std::optional<AtomicFile> summaryFile;
    try {
        summaryFile.emplace(summaryPath, "сводку");
    } catch (const FatalError& error) {
        throw InputError(ErrorText(error));
    }
    SummaryTable summary(options.separator, [&](std::string_view bytes) { summaryFile->Write(bytes); });
    summary.Begin();

    std::ifstream in = OpenInput(options.input);
    CsvReader reader(in);
    CsvRecord record;
    reader.ReadHeader(record);
    const ColumnMap columns = MapColumns(record, options.input);
    const std::size_t width = RowNumberWidth(rowCount);
    ProgressBar progress(streams.err, rowCount, streams.errIsTerminal && !options.quiet && rowCount > 5000);

    RunInputs row;
    fs::path reportPath;
    ReportFiles reportFiles(options.outputDir);
    ReportWriter writeReport;
    if (!options.summaryOnly) {
        writeReport = [&](const CalcInputs& inputs, const CalcResults& results) -> std::optional<FatalError> {
            try {
                reportFiles.Replace(reportPath, BuildReport(inputs, results, options.separator));
                return std::nullopt;
            } catch (const FatalError& error) {
                return error;
            }
        };
    }
    Tally tally;
    try {
        while (reader.Next(record)) {
            if (streams.stop && streams.stop->load()) {
                progress.Clear();
                streams.err << "korvel-batch: прервано; сводка не записана\n";
                return kExitInterrupted;
            }
            ++tally.records;
            progress.Update(tally.records);
            if (record.IsBlank()) continue;
            CheckFieldCount(record, columns, options.input);
            FillRow(record, columns, row);
            if (!options.summaryOnly)
                reportPath = options.outputDir / ReportFileName(tally.records, width, row.sourceName);
            ++tally.computed;

            const StationOutcome outcome = RunStation(row, options.separator, writeReport);
            summary.AddRow(tally.records, row, outcome);
            if (!outcome.ok) {
                ++tally.failed;
                // A report of an earlier batch must not pass for this row's.
                if (!options.summaryOnly && !outcome.results) {
                    std::error_code ignored;
                    fs::remove(reportPath, ignored);
                }
                if (!options.quiet) {
                    progress.Clear();
                    streams.err << "строка " << tally.records << " (строка файла " << record.line << ") «"
                                << row.sourceName << "»: " << outcome.status << '\n';
                }
            }
        }
    } catch (const CsvError& error) {
        // Only when the file changed after the first pass.
        throw InputError(Describe(error, options.input, &columns));
    }
    progress.Finish();
    summary.Finish();
    try {
        summaryFile->Commit();
    } catch (const FatalError& error) {
        throw InputError(ErrorText(error));
    }

    if (!options.quiet) {
        streams.out << "Строк: " << tally.computed << ", с ошибками: " << tally.failed
                    << ". Сводка: " << summaryPath.string();
        if (!options.summaryOnly) streams.out << "; отчеты: " << options.outputDir.string();
        streams.out << '\n';
    }
    return tally.failed == 0 ? kExitAllOk : kExitSomeRowsFailed;
}

}  // namespace

int BatchMain(std::span<const std::string> args, BatchStreams streams) {
    Options options;
    try {
        if (const std::optional<int> done = ParseOptions(args, options, streams.out)) return *done;
    } catch (const UsageError& error) {
        streams.err << "korvel-batch: " << error.what() << "\nСправка: korvel-batch --help\n";
        return kExitBadInput;
    }
    try {
        return RunBatch(options, streams);
    } catch (const InputError& error) {
        streams.err << "korvel-batch: " << error.what() << '\n';
        return kExitBadInput;
    }
}

}  // namespace korvel::batch
