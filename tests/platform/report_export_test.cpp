// SPDX-License-Identifier: GPL-3.0-or-later
// What the report window's context menu writes: PDF, ODT and the totals CSV.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include "calc/number_rules.h"
#include "platform/report_export.h"
#include "support/worked_example.h"

namespace {

// A clean run of the input window's defaults with the given brand.
korvel::CalcResults RunWith(const std::string& brand, const std::string& consumption, char separator) {
    korvel::RunInputs typed = korvel::testing::WorkedExample();
    typed.brand = brand;
    typed.yearlyConsumption = consumption;
    return korvel::Calculate(typed, separator).results;
}

QByteArray ReadAll(const QString& path) {
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QStringList SplitRow(const QString& row, QChar delimiter) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QChar c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
            field += c;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == delimiter && !quoted) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    return fields << field;
}

}  // namespace

class ReportExportTest : public QObject {
    Q_OBJECT

private slots:
    void totalsCsv_data() {
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("consumption");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QStringList>("codes");
        const QStringList seven{"0143", "0123", "2908", "0344", "0342", "0301", "0337"};
        QTest::newRow("comma") << "УОНИ 13/45"
                               << "330.00" << ',' << seven;
        QTest::newRow("full stop") << "УОНИ 13/45"
                                   << "330.00" << '.' << seven;
        QTest::newRow("chromium, no nitrogen") << "ЭА - 981/15"
                                               << "1234.5" << ',' << QStringList{"0143", "0123", "0203", "0342"};
        QTest::newRow("no manganese") << "Т - 590"
                                      << "10" << '.' << QStringList{"0123", "2908"};
        QTest::newRow("no brand") << ""
                                  << "330" << ',' << QStringList{};
        QTest::newRow("no consumption") << "УОНИ 13/45"
                                        << "0" << '.' << QStringList{};
    }
    void totalsCsv() {
        QFETCH(QString, brand);
        QFETCH(QString, consumption);
        QFETCH(char, separator);
        QFETCH(QStringList, codes);
        const korvel::CalcResults results = RunWith(brand.toStdString(), consumption.toStdString(), separator);
        const std::string csv = korvel::TotalsCsv(results, separator);

        QVERIFY(csv.starts_with("\xEF\xBB\xBF"));
        QVERIFY(csv.ends_with("\r\n"));
        QStringList rows = QString::fromUtf8(csv.substr(3)).split("\r\n");
        rows.removeLast();
        const QChar delimiter = separator == ',' ? ';' : ',';
        QCOMPARE(SplitRow(rows.takeFirst(), delimiter),
                 (QStringList{"Код вещества", "Наименование вещества", "Максимально разовый выброс, г/сек",
                              "Валовый выброс, т/год"}));
        QCOMPARE(rows.size(), codes.size());
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QStringList fields = SplitRow(rows[r], delimiter);
            QCOMPARE(fields.size(), 4);
            QCOMPARE(fields[0], codes[r]);
            std::size_t s = 0;
            while (korvel::SubstanceCatalogue[s].code != codes[r].toStdString()) ++s;
            QCOMPARE(fields[1], QString::fromUtf8(korvel::SubstanceCatalogue[s].name));
            QCOMPARE(korvel::ToNumber(fields[2].toStdString(), separator), results.maxEmission[s]);
            QCOMPARE(korvel::ToNumber(fields[3].toStdString(), separator), results.grossEmission[s]);
        }
    }

    void totalsCsvOfTheWorkedExample() {
        const std::string csv = korvel::TotalsCsv(RunWith("УОНИ 13/45", "330.00", ','), ',');
        QVERIFY(csv.find("\r\n0143;Марганец и его соединения;0,000184;0,0003036\r\n") != std::string::npos);
        QVERIFY(csv.find("\r\n2908;Пыль неорганическая, содержащая SiO2 (20 - 70%);0,00028;0,000462\r\n") !=
                std::string::npos);
        const std::string dotted = korvel::TotalsCsv(RunWith("УОНИ 13/45", "330.00", '.'), '.');
        QVERIFY(dotted.find("\r\n2908,\"Пыль неорганическая, содержащая SiO2 (20 - 70%)\",0.00028,0.000462\r\n") !=
                std::string::npos);
    }

    void filesAreWritten() {
        QTemporaryDir dir;
        QTextDocument document;
        document.setHtml(
            QStringLiteral("<h1>Итого по источнику</h1><table border=1><tr><td>0143<td> 0,000184 "
                           "</table>"));
        const korvel::CalcResults results = RunWith("УОНИ 13/45", "330.00", ',');

        QVERIFY(korvel::SaveReportPdf(document, dir.filePath("r.pdf")));
        QVERIFY(ReadAll(dir.filePath("r.pdf")).startsWith("%PDF-"));
        QVERIFY(korvel::SaveReportOdt(document, dir.filePath("r.odt")));
        const QByteArray odt = ReadAll(dir.filePath("r.odt"));
        QVERIFY(odt.startsWith("PK"));
        QVERIFY(odt.contains("application/vnd.oasis.opendocument.text"));
        QVERIFY(korvel::SaveTotalsCsv(results, ',', dir.filePath("r.csv")));
        QCOMPARE(ReadAll(dir.filePath("r.csv")), QByteArray::fromStdString(korvel::TotalsCsv(results, ',')));

        // A folder that does not exist: each reports the failure.
        const QString nowhere = dir.filePath("missing/r.");
        QVERIFY(!korvel::SaveReportPdf(document, nowhere + "pdf"));
        QVERIFY(!korvel::SaveReportOdt(document, nowhere + "odt"));
        QVERIFY(!korvel::SaveTotalsCsv(results, ',', nowhere + "csv"));
    }
};

QTEST_MAIN(ReportExportTest)
#include "report_export_test.moc"
