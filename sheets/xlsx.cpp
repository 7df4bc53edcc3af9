// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/xlsx.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cerrno>
#include <clocale>
#include <map>
#include <utility>

#include "calc/number_rules.h"

namespace korvel {

namespace {

constexpr std::size_t kMaxCellBytes = 32767;
constexpr int kTextFormat = -2;
constexpr int kMaxDecimals = 30;  // the most a number format can show
// The longest text of a number the library writes without an exponent: a
// minus, "0.000" and 16 digits.
constexpr std::size_t kLongestNumber = 22;

// libxlsxwriter writes numbers with printf, which follows the C locale of the
// thread; under a locale with a decimal comma (a Qt program sets the user's)
// the sheet would hold "0,5" and not open. Every call into the library runs
// with the "C" numbers.
class ClassicNumbers {
public:
    explicit ClassicNumbers(locale_t classic) : previous_(classic ? uselocale(classic) : nullptr) {}
    ~ClassicNumbers() {
        if (previous_) uselocale(previous_);
    }
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

private:
    locale_t previous_;
};

// The decimals of NumberText's form of the value: those after the separator,
// and as many more as a negative exponent shifts them.
int DecimalsAsWritten(double value) {
    const std::string text = NumberText(value, '.');
    const std::size_t point = text.find('.');
    const std::size_t e = text.find('E');
    int decimals = 0;
    if (point != std::string::npos) {
        decimals = static_cast<int>((e == std::string::npos ? text.size() : e) - point - 1);
    }
    if (e != std::string::npos) decimals -= std::stoi(text.substr(e + 1));
    return std::clamp(decimals, 0, kMaxDecimals);
}

std::string NumberFormat(int decimals) {
    return decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
}

// The longest start of `text` that fits a cell and ends on a character boundary.
std::string_view CellText(std::string_view text) {
    if (text.size() <= kMaxCellBytes) return text;
    std::size_t cut = kMaxCellBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut);
}

}  // namespace

std::optional<ExactNumber> ExactNumberOf(std::string_view text, char point) {
    std::string digits(text);
    if (point != '.' && digits.find('.') != std::string::npos) return std::nullopt;
    const std::size_t at = digits.find(point);
    if (at != std::string::npos) digits[at] = '.';
    const std::size_t first = digits.starts_with('-') ? 1 : 0;
    const std::size_t stop = digits.find('.');
    const auto isDigits = [&](std::size_t from, std::size_t to) {
        return to > from && std::all_of(digits.begin() + static_cast<std::ptrdiff_t>(from),
                                        digits.begin() + static_cast<std::ptrdiff_t>(to),
                                        [](char c) { return c >= '0' && c <= '9'; });
    };
    const bool fraction = stop != std::string::npos;
    if (digits.size() > kLongestNumber || !isDigits(first, fraction ? stop : digits.size()) ||
        (fraction && !isDigits(stop + 1, digits.size()))) {
        return std::nullopt;
    }
    const double value = ToNumber(digits, '.');
    // As the library writes a number cell; a locale's decimal comma read as the full stop.
    std::array<char, 32> stored{};
    std::snprintf(stored.data(), stored.size(), "%.16G", value);
    std::string written(stored.data());
    std::replace(written.begin(), written.end(), ',', '.');
    if (written != digits) return std::nullopt;
    return ExactNumber{value, fraction ? static_cast<int>(digits.size() - stop - 1) : 0};
}

struct XlsxSheet::Book {
    std::filesystem::path path;
    SheetInfo info;
    locale_t classic = newlocale(LC_ALL_MASK, "C", nullptr);
    lxw_workbook* workbook = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;
    lxw_col_t column = 0;
    bool bold = false;
    std::map<std::pair<int, bool>, lxw_format*> formats;  // by decimals (or kTextFormat) and boldness

    ~Book() {
        if (workbook) lxw_workbook_free(workbook);  // an unfinished sheet: its temporary files go, nothing is written
        if (classic) freelocale(classic);
    }

    [[noreturn]] void Fail(std::string_view why, int systemError = 0) const {
        throw SheetError("не удалось записать книгу «" + path.string() + "»: " + std::string(why), systemError);
    }

    void Check(lxw_error error) const {
        if (error == LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE) Fail("в листе не больше 1 048 576 строк");
        if (error != LXW_NO_ERROR) Fail(lxw_strerror(error));
    }

    lxw_format* Format(int decimals) {
        lxw_format*& format = formats[{decimals, bold}];
        if (!format) {
            format = workbook_add_format(workbook);
            if (!format) Fail("нет памяти");
            if (bold) format_set_bold(format);
            // Text cells are formatted as text, so that an edited code keeps its leading zero.
            format_set_num_format(format, decimals == kTextFormat ? "@" : NumberFormat(decimals).c_str());
        }
        return format;
    }
};

namespace {

void SetProperties(lxw_workbook* workbook, const SheetInfo& info) {
    const std::string program = info.program + " " + info.version;
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>(info.title.c_str());
    properties.comments = const_cast<char*>(program.c_str());
    workbook_set_properties(workbook, &properties);
    workbook_set_custom_property_string(workbook, "Программа", info.program.c_str());
    workbook_set_custom_property_string(workbook, "Версия", info.version.c_str());
}

// Landscape, as wide as one page, the title above and the program below.
void SetPrintedPage(lxw_worksheet* sheet, const SheetInfo& info) {
    const auto escaped = [](std::string text) {
        for (std::size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 2)) text.insert(at, 1, '&');
        return text;
    };
    worksheet_set_landscape(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_set_header(sheet, ("&C" + escaped(info.title)).c_str());
    worksheet_set_footer(sheet, ("&L" + escaped(info.program + " " + info.version) + "&R&P / &N").c_str());
}

}  // namespace

XlsxSheet::XlsxSheet(const std::filesystem::path& path, const SheetInfo& info) : book_(std::make_unique<Book>()) {
    book_->path = path;
    book_->info = info;
    const ClassicNumbers numbers(book_->classic);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    book_->workbook = workbook_new_opt(path.c_str(), &options);
    if (!book_->workbook) book_->Fail("нет памяти");
    book_->sheet = workbook_add_worksheet(book_->workbook, info.sheetName.c_str());
    if (!book_->sheet) book_->Fail("не удалось создать временный файл", errno);
    SetProperties(book_->workbook, info);
    SetPrintedPage(book_->sheet, info);
}

XlsxSheet::~XlsxSheet() = default;

void XlsxSheet::Header(std::span<const SheetColumn> columns) {
    const ClassicNumbers numbers(book_->classic);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto column = static_cast<lxw_col_t>(c);
        book_->Check(worksheet_set_column(book_->sheet, column, column, columns[c].width, nullptr));
    }
    worksheet_freeze_panes(book_->sheet, book_->row + 1, 0);
    book_->Check(worksheet_repeat_rows(book_->sheet, book_->row, book_->row));
    book_->bold = true;
    for (const SheetColumn& column : columns) Text(column.heading);
    EndRow();
}

void XlsxSheet::TotalsRow() { book_->bold = true; }

void XlsxSheet::Text(std::string_view text) {
    const ClassicNumbers numbers(book_->classic);
    const std::string cell(CellText(text));
    book_->Check(
        worksheet_write_string(book_->sheet, book_->row, book_->column++, cell.c_str(), book_->Format(kTextFormat)));
}

void XlsxSheet::Number(double value, int decimals) {
    const ClassicNumbers numbers(book_->classic);
    if (decimals == kDecimalsAsWritten) decimals = DecimalsAsWritten(value);
    book_->Check(worksheet_write_number(book_->sheet, book_->row, book_->column++, value, book_->Format(decimals)));
}

void XlsxSheet::Empty() {
    if (!book_->bold) {
        ++book_->column;
        return;
    }
    const ClassicNumbers numbers(book_->classic);
    book_->Check(worksheet_write_blank(book_->sheet, book_->row, book_->column++, book_->Format(kTextFormat)));
}

void XlsxSheet::KeepRow() {
    const ClassicNumbers numbers(book_->classic);
    book_->Check(worksheet_write_blank(book_->sheet, book_->row, 0, book_->Format(kTextFormat)));
}

void XlsxSheet::EndRow() {
    ++book_->row;
    book_->column = 0;
    book_->bold = false;
}

void XlsxSheet::AddSheet(const std::string& name) {
    const ClassicNumbers numbers(book_->classic);
    book_->sheet = workbook_add_worksheet(book_->workbook, name.c_str());
    if (!book_->sheet) book_->Fail("не удалось создать временный файл", errno);
    SetPrintedPage(book_->sheet, book_->info);
    book_->row = 0;
    book_->column = 0;
    book_->bold = false;
}

void XlsxSheet::Close() {
    const ClassicNumbers numbers(book_->classic);
    errno = 0;
    const lxw_error error = workbook_close(std::exchange(book_->workbook, nullptr));
    if (error != LXW_NO_ERROR) book_->Fail(lxw_strerror(error), errno);
}

}  // namespace korvel
