// SPDX-License-Identifier: GPL-3.0-or-later
// What the report window's context menu saves: the shown document as PDF or
// OpenDocument text, and the totals table as CSV for a spreadsheet. Paths are
// parameters; the file dialogs stay with the window.
#pragma once

#include <QString>
#include <string>

#include "calc/run.h"

class QTextDocument;

namespace korvel {

// Each returns false when the file could not be written.
bool SaveReportPdf(const QTextDocument& document, const QString& path);
bool SaveReportOdt(const QTextDocument& document, const QString& path);

// The totals table: a heading row, then code, name, G and M of every
// substance whose M is not 0, in catalogue order. Numbers are written with
// `separator`; fields are then delimited by ';' when the separator is a comma,
// else by ','. UTF-8 with a byte-order mark, CR LF line ends.
std::string TotalsCsv(const CalcResults& results, char separator);
bool SaveTotalsCsv(const CalcResults& results, char separator, const QString& path);

}  // namespace korvel
