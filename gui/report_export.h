// SPDX-License-Identifier: GPL-3.0-or-later
// What the report window's context menu saves: the shown report as HTML, PDF
// or OpenDocument text, and the totals table for a spreadsheet as CSV or
// XLSX; and the copy of the report it hands to the web browser. Paths are
// parameters; the file dialogs stay with the window.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

#include "calc/run.h"
#include "sheets/totals.h"

class QTextDocument;

namespace korvel {

// Each writes the whole file under a temporary name beside `path` and only
// then puts it in the place of any file there: a failure leaves that file as
// it was. Each returns false when the file could not be written.
bool SaveReportHtml(const QByteArray& reportBytes, const QString& path);
bool SaveReportPdf(const QTextDocument& document, const QString& path);
bool SaveReportOdt(const QTextDocument& document, const QString& path);

// The totals table as TotalsCsv writes it.
bool SaveTotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator, const QString& path);
// The totals table as an XLSX workbook: the source name, the brand, codes and
// names as text cells, G and M as number cells, the heading bold and kept in view.
bool SaveTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const QString& path);

// A new file in the folder `folder` holding the report's bytes after a first
// line that declares their code page, Windows-1251, for a browser that would
// otherwise guess it. Returns its path, or an empty string on failure.
QString WriteBrowserCopy(const QByteArray& reportBytes, const QString& folder);

}  // namespace korvel
