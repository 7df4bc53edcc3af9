// SPDX-License-Identifier: GPL-3.0-or-later
// What the report window's context menu saves: the shown document as PDF or
// OpenDocument text, and the totals table as CSV for a spreadsheet. Paths are
// parameters; the file dialogs stay with the window.
#pragma once

#include <QString>
#include <string>

#include "calc/run.h"
#include "report/totals_csv.h"

class QTextDocument;

namespace korvel {

// Each returns false when the file could not be written.
bool SaveReportPdf(const QTextDocument& document, const QString& path);
bool SaveReportOdt(const QTextDocument& document, const QString& path);

// The totals table as TotalsCsv writes it.
bool SaveTotalsCsv(const CalcResults& results, char separator, const QString& path);

}  // namespace korvel
