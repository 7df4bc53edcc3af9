// SPDX-License-Identifier: GPL-3.0-or-later
// A table as an Office Open XML workbook (.xlsx), of one sheet or more: texts stay
// texts whatever they look like, numbers are numbers. Rows go to temporary
// files as they are written, so a table of any length takes little memory.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvel {

// A workbook that could not be written; what() says why, and SystemError()
// gives the system's error number (errno) when a file operation failed.
class SheetError : public std::runtime_error {
public:
    explicit SheetError(const std::string& what, int systemError = 0)
        : std::runtime_error(what), systemError_(systemError) {}
    int SystemError() const noexcept { return systemError_; }

private:
    int systemError_;
};

// What the workbook says about itself: in the document properties and on
// every printed page.
struct SheetInfo {
    std::string title;
    std::string sheetName;  // at most 31 characters, none of []:*?/ and backslash
    std::string program;    // "korvel-batch"
    std::string version;    // "1.00.0007"
};

struct SheetColumn {
    std::string_view heading;
    double width;  // in characters of the default font
};

// A number cell shows as many decimals as its 15-digit text has (NumberText).
inline constexpr int kDecimalsAsWritten = -1;
// The decimals of a one-off emission G, which the run rounds to whole 1e-8 g/s.
inline constexpr int kDecimalsOfG = 8;

// The value of a number cell that the workbook reader gives back as exactly
// `text` (with `point` for the full stop it writes), and the decimals it
// shows; nothing for any other text: digits with one point at most, a minus
// before them, and no digit that the cell's stored form would drop or add.
struct ExactNumber {
    double value;
    int decimals;
};
std::optional<ExactNumber> ExactNumberOf(std::string_view text, char point);

class XlsxSheet {
public:
    // Creates the workbook at `path` (a file there is replaced when the sheet
    // is closed). Throws SheetError.
    XlsxSheet(const std::filesystem::path& path, const SheetInfo& info);
    ~XlsxSheet();
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    // The table's header: a bold row that stays in view when the table
    // scrolls, and is printed on every page; sets the column widths.
    void Header(std::span<const SheetColumn> columns);

    // Makes the rest of the current row bold: the totals.
    void TotalsRow();
    // Cells of the current row, left to right. A text longer than a cell
    // holds (32767 bytes) is cut at a character boundary.
    void Text(std::string_view text);
    void Number(double value, int decimals);
    void Empty();
    // The current row stays a row of the sheet though it has no text: a blank
    // cell at its start.
    void KeepRow();
    void EndRow();

    // Starts a further sheet named `name` (as SheetInfo's sheetName), its
    // printed page as the first one's; the rows before it are complete.
    void AddSheet(const std::string& name);

    // Writes the workbook out. Throws SheetError.
    void Close();

private:
    struct Book;
    std::unique_ptr<Book> book_;
};

}  // namespace korvel
