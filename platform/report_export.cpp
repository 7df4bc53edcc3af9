// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/report_export.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <array>
#include <string_view>

#include "calc/number_rules.h"
#include "calc/substances.h"
#include "sheets/csv.h"

namespace korvel {

namespace {

bool NonEmptyFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.size() > 0;
}

void AppendRow(std::string& out, const std::array<std::string_view, 4>& fields, char delimiter) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) out += delimiter;
        AppendCsvField(out, fields[i], delimiter);
    }
    out += "\r\n";
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

std::string TotalsCsv(const CalcResults& results, char separator) {
    const char delimiter = CsvDelimiter(separator);
    std::string out = "\xEF\xBB\xBF";
    AppendRow(out,
              {"Код вещества", "Наименование вещества", "Максимально разовый выброс, г/сек", "Валовый выброс, т/год"},
              delimiter);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        if (results.grossEmission[i] == 0.0) continue;
        const std::string g = NumberText(results.maxEmission[i], separator);
        const std::string m = NumberText(results.grossEmission[i], separator);
        AppendRow(out, {SubstanceCatalogue[i].code, SubstanceCatalogue[i].name, g, m}, delimiter);
    }
    return out;
}

bool SaveTotalsCsv(const CalcResults& results, char separator, const QString& path) {
    const std::string csv = TotalsCsv(results, separator);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(csv.size());
    return out.write(csv.data(), size) == size && out.flush();
}

}  // namespace korvel
