// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/report_export.h"

#include <QBuffer>
#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <utility>

#include "calc/substances.h"
#include "gui/flat_document.h"
#include "platform/xlsx_module.h"

namespace korvel {

namespace {

// `write` fills the new file; it replaces the one at `path` only when that
// and every write succeeded.
bool WriteAtomically(const QString& path, const std::function<bool(QIODevice&)>& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    // commit() flushes too, but overlooks a short write (a full disk) there.
    if (!write(file) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteBytes(QIODevice& out, const QByteArray& bytes) { return out.write(bytes) == bytes.size(); }

}  // namespace

bool SaveReportHtml(const QByteArray& reportBytes, const QString& path) {
    return WriteAtomically(path, [&](QIODevice& out) { return WriteBytes(out, reportBytes); });
}

bool SaveReportPdf(const QTextDocument& document, const QString& path) {
    return WriteAtomically(path, [&](QIODevice& out) {
        QPdfWriter pdf(&out);
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("korvel"));
        document.print(&pdf);
        return true;
    });
}

bool SaveReportOdt(const QTextDocument& document, const QString& path) {
    // Qt's writer closes the device it has written, which a QSaveFile must not
    // be before its commit: the archive is put together in memory first.
    QBuffer odt;
    const std::unique_ptr<QTextDocument> flat = FlatDocument(document);
    if (!QTextDocumentWriter(&odt, "odf").write(flat.get())) return false;
    return WriteAtomically(path, [&](QIODevice& out) { return WriteBytes(out, odt.data()); });
}

bool SaveTotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator, const QString& path) {
    const QByteArray csv = QByteArray::fromStdString(TotalsCsv(inputs, results, separator));
    return WriteAtomically(path, [&](QIODevice& out) { return WriteBytes(out, csv); });
}

bool SaveTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const QString& path) {
    // The library writes to a file name: a private temporary file first,
    // whose bytes then replace the target as every export does.
    QTemporaryFile workbook(QDir(QDir::tempPath()).filePath(QStringLiteral("korvel-XXXXXX.xlsx")));
    if (!workbook.open()) return false;
    workbook.close();
    if (!WriteTotalsXlsx(inputs, results, workbook.fileName().toStdString())) return false;
    if (!workbook.open()) return false;
    const QByteArray bytes = workbook.readAll();
    return !bytes.isEmpty() && WriteAtomically(path, [&](QIODevice& out) { return WriteBytes(out, bytes); });
}

QString WriteBrowserCopy(const QByteArray& reportBytes, const QString& folder) {
    if (folder.isEmpty()) return {};
    QTemporaryFile copy(QDir(folder).filePath(QStringLiteral("korvel-XXXXXX.htm")));
    copy.setAutoRemove(false);
    if (!copy.open()) return {};
    const bool written =
        WriteBytes(copy, QByteArrayLiteral("<meta charset=\"windows-1251\">\r\n") + reportBytes) && copy.flush();
    copy.close();
    if (written) return copy.fileName();
    copy.remove();
    return {};
}

}  // namespace korvel
