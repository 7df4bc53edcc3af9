// SPDX-License-Identifier: GPL-3.0-or-later
// What the report window's context menu saves: the shown report as HTML, PDF
// or OpenDocument text, and the totals table for a spreadsheet as CSV or
// XLSX; and the copy of the report it hands to the web browser. Paths are
// parameters; the file dialogs stay with the window.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "calc/fatal_error.h"
#include "calc/run.h"

class QTextDocument;

namespace korvel {

// What an export gave: nothing when the file is written, else the failure,
// which names the file and says why in Russian, as the report file's does.
using ExportFailure = std::optional<FatalError>;

// Each writes the whole file under a temporary name beside `path` (through
// AtomicFile) and only then puts it in the place of any file there: a
// failure leaves that file as it was.
ExportFailure SaveReportHtml(const QByteArray& reportBytes, const QString& path);
ExportFailure SaveReportPdf(const QTextDocument& document, const QString& path);
ExportFailure SaveReportOdt(const QTextDocument& document, const QString& path);

// The totals table as TotalsCsv writes it.
ExportFailure SaveTotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator, const QString& path);
// The totals table as TotalsXlsx writes it, by the XLSX module.
ExportFailure SaveTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const QString& path);

// A new file in the folder `folder` holding the report's bytes after a first
// line that declares their code page, Windows-1251, for a browser that would
// otherwise guess it. Returns its path, or an empty string on failure.
QString WriteBrowserCopy(const QByteArray& reportBytes, const QString& folder);

}  // namespace korvel
