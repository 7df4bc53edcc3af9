// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/options.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <utility>

#include "batch/batch_error.h"
#include "batch/batch_main.h"
#include "calc/regional.h"

namespace korvel::batch {

namespace {

constexpr std::string_view kHelp =
    "Использование: korvel-batch [параметры] ФАЙЛ.csv|ФАЙЛ.xlsx\n"
    "\n"
    "Рассчитывает выбросы для каждого источника (строки) CSV-файла так же, как окно\n"
    "программы, пишет отчет по каждому источнику и сводную таблицу с итогами.\n"
    "\n"
    "Входной файл: UTF-8 (BOM допускается), первая строка - заголовок, разделитель\n"
    "';' или ',' (определяется по заголовку), поля в кавычках по RFC 4180.\n"
    "Или книга XLSX (узнается по содержимому): ее первый лист с теми же\n"
    "заголовками; число в ячейке - как записано в книге, с точкой. Если в\n"
    "заголовке второго листа есть pollution_source и нет source (весь перечень,\n"
    "как его сохраняет страница перечня), на нем параметры ИЗА, как в файле\n"
    "--pollution-sources.\n"
    "Столбцы: source, brand, consumption, hours, minutes, days - обязательны;\n"
    "hours_per_year - необязателен: строка, где он не пуст, считается по общему\n"
    "времени работы в год, остальные - по времени сварки в день;\n"
    "pollution_source - необязателен: номер источника загрязнения атмосферы (ИЗА),\n"
    "в который выходят выбросы поста, от 1 до 4 цифр (0001, 6001); пусто - пост\n"
    "не отнесен к ИЗА; другой текст - ошибка строки.\n"
    "Число, прочитанное не целиком (\"200,5\" как 200, \"10 кг\" как 10), строка\n"
    "и столбец файла называются в stderr; расчет и сводка от этого не меняются.\n"
    "\n"
    "Сводка: строка на каждый источник и последняя строка «итого» с суммой M по\n"
    "строкам со статусом ok. Столбцы: row (номер строки данных), source, brand,\n"
    "status (ok, сообщения расчета или ошибка), daily_consumption_kg и\n"
    "welding_time_s (что показали бы поля результатов окна: суточный расход\n"
    "электродов, кг, и время сварки, с), затем для каждого вещества G_<код>_g_s\n"
    "(максимально разовый выброс, г/с) и M_<код>_t_year (валовый выброс, т/год),\n"
    "например G_0143_g_s, M_0143_t_year. В CSV текст, начинающийся с = + - @,\n"
    "табуляции или возврата каретки, записан с апострофом впереди, чтобы\n"
    "электронная таблица не приняла его за формулу.\n"
    "\n"
    "Источники загрязнения (ИЗА): если хотя бы один пост назван номером ИЗА или\n"
    "даны параметры ИЗА, рядом со сводкой пишется pollution_sources.csv (а при\n"
    "--summary-format xlsx - второй лист книги сводки). M ИЗА = (сумма M его\n"
    "постов) x (1 - η/100); G ИЗА = (сумма N наибольших G его постов) x (1 - η/100),\n"
    "N - число одновременно работающих постов (пусто - все), η - степень очистки\n"
    "газа, %. В суммы входят только посты со статусом ok; строки постов с\n"
    "ошибками названы в статусе ИЗА. Строка на каждый ИЗА и вещество с ненулевым\n"
    "выбросом (ИЗА без таких - одна строка без вещества), затем посты без ИЗА\n"
    "(«не отнесены к ИЗА»), затем «итого» M по веществам. Столбцы:\n"
    "pollution_source, name, posts, simultaneous, status, code, substance,\n"
    "g_release_g_s, m_release_t_year (до очистки), cleaning_percent, g_g_s,\n"
    "m_t_year (после очистки).\n"
    "\n"
    "Параметры:\n"
    "  -o, --output-dir ПАПКА      папка для отчетов и сводки (по умолчанию текущая;\n"
    "                              создается, если ее нет)\n"
    "      --summary ФАЙЛ          путь сводной таблицы (по умолчанию\n"
    "                              ПАПКА/summary.csv или ПАПКА/summary.xlsx)\n"
    "      --summary-format csv | xlsx\n"
    "                              формат сводки (по умолчанию xlsx, если ФАЙЛ\n"
    "                              оканчивается на .xlsx, иначе csv)\n"
    "      --summary-only          только сводная таблица, без файлов отчетов\n"
    "      --pollution-sources ФАЙЛ\n"
    "                              параметры ИЗА: CSV с заголовком pollution_source;\n"
    "                              name;simultaneous;cleaning_0143;...;cleaning_0337\n"
    "                              (обязателен pollution_source; η от 0 до 100,\n"
    "                              пусто - 0, разделитель ',' или '.'; N - целое\n"
    "                              от 1 до числа постов ИЗА); ошибка в нем\n"
    "                              останавливает пакет до записи файлов, ИЗА без\n"
    "                              постов - предупреждение; параметры книги XLSX\n"
    "                              при нем не используются (предупреждение)\n"
    "      --decimal-separator , | .\n"
    "                              десятичный разделитель (по умолчанию из настроек\n"
    "                              языка и региона)\n"
    "  -j, --jobs N                число потоков расчета (по умолчанию по числу\n"
    "                              процессоров); результат от него не зависит\n"
    "  -q, --quiet                 не выводить ничего, кроме ошибок\n"
    "  -h, --help                  эта справка\n"
    "      --version               версия\n"
    "\n"
    "Код возврата: 0 - все строки рассчитаны без ошибок; 1 - в части строк ошибки\n"
    "(см. столбец status сводки); 2 - ошибка параметров, входного файла или файла\n"
    "параметров ИЗА либо не удалось создать папку, записать отчет или сводку\n"
    "(пакет останавливается на первой такой ошибке и сводку не пишет);\n"
    "130 - прервано.\n";

constexpr unsigned kMaxThreads = 64;

unsigned DefaultThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads); }

bool EndsWithXlsx(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == ".xlsx";
}

// Walks the arguments; each option takes its value from "--name=value" or
// from the next argument.
class Parser {
public:
    Parser(std::span<const std::string> args, Options& options, std::ostream& out)
        : args_(args), options_(options), out_(out) {}

    std::optional<int> Run() {
        for (i_ = 0; i_ < args_.size(); ++i_) {
            if (const std::optional<int> done = Argument(args_[i_])) return done;
        }
        if (!inputGiven_) throw UsageError("не указан входной CSV-файл");
        Complete();
        return std::nullopt;
    }

private:
    std::optional<int> Argument(std::string arg) {
        if (optionsEnded_ || arg == "-" || arg.empty() || arg[0] != '-') {
            Input(arg);
            return std::nullopt;
        }
        if (arg == "--") {
            optionsEnded_ = true;
            return std::nullopt;
        }
        inlineValue_.reset();
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            inlineValue_ = arg.substr(eq + 1);
            arg.resize(eq);
        } else if (arg.size() > 2 && (arg.starts_with("-j") || arg.starts_with("-o"))) {
            inlineValue_ = arg.substr(2);  // as getopt takes "-j2" and "-oDIR"
            arg.resize(2);
        }
        const std::optional<int> done = Option(arg);
        if (inlineValue_) throw UsageError("параметр " + arg + " не принимает значения");
        return done;
    }

    void Input(const std::string& arg) {
        if (inputGiven_) throw UsageError("лишний аргумент «" + arg + "»: нужен один входной файл");
        options_.input = arg;
        inputGiven_ = true;
    }

    std::optional<int> Option(const std::string& arg) {
        if (arg == "--help" || arg == "-h") {
            out_ << kHelp;
            return kExitAllOk;
        }
        if (arg == "--version") {
            out_ << kProgramName << ' ' << kVersion << '\n';
            return kExitAllOk;
        }
        if (arg == "--summary-only") {
            options_.summaryOnly = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options_.quiet = true;
        } else {
            OptionWithValue(arg);
        }
        return std::nullopt;
    }

    void OptionWithValue(const std::string& arg) {
        if (arg == "-o" || arg == "--output-dir") {
            options_.outputDir = NonEmpty(arg, "пустое имя папки в " + arg);
        } else if (arg == "--summary") {
            options_.summary = NonEmpty(arg, "пустое имя файла в --summary");
            options_.summaryGiven = true;
        } else if (arg == "--pollution-sources") {
            options_.pollutionSources = NonEmpty(arg, "пустое имя файла в --pollution-sources");
        } else if (arg == "--summary-format") {
            Format(Value(arg));
        } else if (arg == "--decimal-separator") {
            Separator(Value(arg));
        } else if (arg == "-j" || arg == "--jobs") {
            Threads(Value(arg));
        } else {
            throw UsageError("неизвестный параметр «" + args_[i_] + "»");
        }
    }

    std::string Value(std::string_view option) {
        if (inlineValue_) return *std::exchange(inlineValue_, std::nullopt);
        if (i_ + 1 >= args_.size()) throw UsageError("параметру " + std::string(option) + " нужно значение");
        return args_[++i_];
    }

    std::string NonEmpty(std::string_view option, const std::string& complaint) {
        std::string value = Value(option);
        if (value.empty()) throw UsageError(complaint);
        return value;
    }

    void Format(const std::string& value) {
        if (value != "csv" && value != "xlsx") throw UsageError("--summary-format: нужен csv или xlsx, а не «" + value + "»");
        format_ = value == "xlsx" ? SummaryFormat::Xlsx : SummaryFormat::Csv;
    }

    void Separator(const std::string& value) {
        if (value != "," && value != ".")
            throw UsageError("--decimal-separator: нужна ',' или '.', а не «" + value + "»");
        separator_ = value[0];
    }

    void Threads(const std::string& value) {
        unsigned threads = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), threads);
        if (ec != std::errc() || end != value.data() + value.size() || threads < 1 || threads > kMaxThreads)
            throw UsageError("--jobs: нужно число потоков от 1 до " + std::to_string(kMaxThreads) + ", а не «" +
                             value + "»");
        options_.threads = threads;
    }

    // Defaults that depend on other options or on the system.
    void Complete() {
        if (!separator_) {
            separator_ = DecimalSeparatorOf(NumericLocaleName([](const char* name) { return std::getenv(name); }));
        }
        options_.separator = *separator_;
        if (options_.threads == 0) options_.threads = DefaultThreads();
        options_.format = format_.value_or(options_.summaryGiven && EndsWithXlsx(options_.summary) ? SummaryFormat::Xlsx
                                                                                                   : SummaryFormat::Csv);
        if (!options_.summaryGiven) {
            options_.summary = options_.outputDir / (options_.format == SummaryFormat::Xlsx ? "summary.xlsx" : "summary.csv");
        }
    }

    std::span<const std::string> args_;
    Options& options_;
    std::ostream& out_;
    std::size_t i_ = 0;
    std::optional<std::string> inlineValue_;
    bool inputGiven_ = false;
    bool optionsEnded_ = false;
    std::optional<char> separator_;
    std::optional<SummaryFormat> format_;
};

}  // namespace

std::optional<int> ParseOptions(std::span<const std::string> args, Options& options, std::ostream& out) {
    return Parser(args, options, out).Run();
}

}  // namespace korvel::batch
