// SPDX-License-Identifier: GPL-3.0-or-later
// The cells of an XLSX sheet as its XML holds them, for checking what a
// spreadsheet will see: which cells are text and which are numbers.
#pragma once

#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "support/zip_entry.h"

namespace korvel::testing {

struct XlsxCell {
    bool text = false;  // an inline string; else a number, or empty when `value` is
    std::string value;  // the text (XML entities left as written) or the number's digits
};

// The cells of a sheet's XML by reference ("B2"); blank cells included.
inline std::map<std::string, XlsxCell> XlsxCellsOf(const std::string& xml) {
    static const std::regex cell(R"re(<c r="([A-Z]+[0-9]+)"[^>]*?(/>|>(.*?)</c>))re");
    static const std::regex text(R"re(<is><t[^>]*>(.*)</t></is>)re");
    static const std::regex number(R"re(<v>(.*)</v>)re");
    std::map<std::string, XlsxCell> cells;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), cell); it != std::sregex_iterator(); ++it) {
        const std::string content = (*it)[3];
        std::smatch part;
        XlsxCell& into = cells[(*it)[1]];
        if (std::regex_search(content, part, text)) {
            into = {true, part[1]};
        } else if (std::regex_search(content, part, number)) {
            into = {false, part[1]};
        }
    }
    return cells;
}

// The cells of the first sheet.
inline std::map<std::string, XlsxCell> XlsxCells(const std::filesystem::path& workbook) {
    return XlsxCellsOf(ReadZipEntry(workbook, "xl/worksheets/sheet1.xml"));
}

}  // namespace korvel::testing
