// SPDX-License-Identifier: GPL-3.0-or-later
// Workbooks as a spreadsheet saves them, made by hand for reading back: one
// sheet of the given cells, each kind of cell as its XML holds it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheets/zip_archive.h"

namespace korvel::testing {

// A workbook of one sheet, its part holding `sheetXml`, with the shared strings `stringsXml`.
inline std::string WorkbookOf(std::string_view sheetXml, std::string_view stringsXml) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    ZipWriter zip;
    zip.Add("_rels/.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>",
            0);
    zip.Add("xl/workbook.xml",
            "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" + rel +
                "\"><sheets><sheet name=\"Лист1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>",
            0);
    zip.Add("xl/_rels/workbook.xml.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
            "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
            "</Relationships>",
            0);
    zip.Add("xl/worksheets/sheet1.xml", sheetXml, 0);
    zip.Add("xl/sharedStrings.xml", stringsXml, 0);
    return zip.Finish();
}

// One sheet of `rows`, row 1 first. A cell "#12.5" is a number cell holding
// 12.5, "" no cell at all; other texts are shared strings, or inline strings
// with `inlineStrings`.
inline std::string Workbook(const std::vector<std::vector<std::string>>& rows, bool inlineStrings = false) {
    std::string sheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    std::string strings;
    std::size_t shared = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::string& text = rows[r][c];
            const std::string ref = std::string(1, static_cast<char>('A' + c)) + std::to_string(r + 1);
            if (text.empty()) continue;
            if (text[0] == '#') {
                sheet += "<c r=\"" + ref + "\"><v>" + text.substr(1) + "</v></c>";
            } else if (inlineStrings) {
                sheet += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
            } else {
                sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(shared++) + "</v></c>";
                strings += "<si><t>" + text + "</t></si>";
            }
        }
        sheet += "</row>";
    }
    return WorkbookOf(sheet + "</sheetData></worksheet>",
                      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + strings + "</sst>");
}

}  // namespace korvel::testing
