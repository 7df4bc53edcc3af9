// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/report_export.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "gui/flat_document.h"
#include "platform/xlsx_module.h"
#include "report/atomic_file.h"
#include "sheets/totals.h"

namespace korvel {

namespace {

// How the failures name each file, in the accusative.
constexpr std::string_view kReportFile = "файл отчета";
constexpr std::string_view kPdfFile = "файл PDF";
constexpr std::string_view kOdtFile = "документ ODT";
constexpr std::string_view kTotalsFile = "файл итогов";

std::filesystem::path FilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The failure to write the file `what` at `path` for a reason that is not the
// file system's.
FatalError NotWritten(std::string_view what, const QString& path, std::string_view reason) {
    return FatalError(kFileAccessError,
                      "Не удалось записать " + std::string(what) + " «" + path.toStdString() + "»: " + std::string(reason));
}

// `fill` writes the new file; it replaces the one at `path` only when that
// and every write succeeded.
ExportFailure WriteAtomically(const QString& path, std::string_view what, const std::function<void(AtomicFile&)>& fill) {
    try {
        AtomicFile file(FilePath(path), std::string(what));
        fill(file);
        file.Commit();
        return std::nullopt;
    } catch (const FatalError& error) {
        return error;
    }
}

ExportFailure WriteBytes(const QString& path, std::string_view what, const QByteArray& bytes) {
    return WriteAtomically(path, what, [&](AtomicFile& file) { file.Write({bytes.constData(), size_t(bytes.size())}); });
}

}  // namespace

ExportFailure SaveReportHtml(const QByteArray& reportBytes, const QString& path) {
    return WriteBytes(path, kReportFile, reportBytes);
}

ExportFailure SaveReportPdf(const QTextDocument& document, const QString& path) {
    QBuffer pdfBytes;
    pdfBytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&pdfBytes);
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("korvel"));
        document.print(&pdf);
    }
    return WriteBytes(path, kPdfFile, pdfBytes.data());
}

ExportFailure SaveReportOdt(const QTextDocument& document, const QString& path) {
    // Qt's writer closes the device it has written: the archive is put
    // together in memory first.
    QBuffer odt;
    const std::unique_ptr<QTextDocument> flat = FlatDocument(document);
    if (!QTextDocumentWriter(&odt, "odf").write(flat.get()))
        return NotWritten(kOdtFile, path, "документ не удалось составить");
    return WriteBytes(path, kOdtFile, odt.data());
}

ExportFailure SaveTotalsCsv(const CalcInputs& inputs, const CalcResults& results, char separator, const QString& path) {
    return WriteBytes(path, kTotalsFile, QByteArray::fromStdString(TotalsCsv(inputs, results, separator)));
}

ExportFailure SaveTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const QString& path) {
    // The library writes to a file name: the temporary file AtomicFile made.
    return WriteAtomically(path, kTotalsFile, [&](AtomicFile& file) {
        const int written = WriteTotalsXlsx(inputs, results, file.TemporaryPath());
        if (written > 0) throw FileError(written, "записать", kTotalsFile, FilePath(path));
        if (written == kXlsxModuleMissing) throw NotWritten(kTotalsFile, path, "не найден модуль korvel-xlsx.so");
        if (written != 0) throw NotWritten(kTotalsFile, path, "ошибка библиотеки XLSX");
    });
}

QString WriteBrowserCopy(const QByteArray& reportBytes, const QString& folder) {
    if (folder.isEmpty()) return {};
    QTemporaryFile copy(QDir(folder).filePath(QStringLiteral("korvel-XXXXXX.htm")));
    copy.setAutoRemove(false);
    if (!copy.open()) return {};
    const QByteArray bytes = QByteArrayLiteral("<meta charset=\"windows-1251\">\r\n") + reportBytes;
    const bool written = copy.write(bytes) == bytes.size() && copy.flush();
    copy.close();
    if (written) return copy.fileName();
    copy.remove();
    return {};
}

}  // namespace korvel
