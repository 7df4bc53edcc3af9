// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/report_export.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include "report/totals_csv.h"

namespace korvel {

namespace {

bool NonEmptyFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.size() > 0;
}

}  // namespace

bool SaveReportPdf(const QTextDocument& document, const QString& path) {
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
    document.print(&printer);
    return NonEmptyFile(path);
}

bool SaveReportOdt(const QTextDocument& document, const QString& path) {
    // Opened here: Qt's writer leaks its state when it cannot open the file itself.
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextDocumentWriter writer(&out, "odf");
    const bool written = writer.write(&document);
    out.close();
    return written && NonEmptyFile(path);
}

bool SaveTotalsCsv(const CalcResults& results, char separator, const QString& path) {
    const std::string csv = TotalsCsv(results, separator);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(csv.size());
    return out.write(csv.data(), size) == size && out.flush();
}

}  // namespace korvel
