// SPDX-License-Identifier: GPL-3.0-or-later
// What the report window's context menu writes: HTML, PDF, ODT and the
// totals as CSV and XLSX.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QXmlStreamReader>
#include <csignal>

#include <sys/resource.h>

#include "calc/number_rules.h"
#include "gui/report_export.h"
#include "gui/web_browser.h"
#include "platform/xlsx_module.h"
#include "support/worked_example.h"
#include "support/xlsx_cells.h"
#include "support/zip_entry.h"

namespace {

// A clean run of the input window's defaults with the given brand.
korvel::RunOutcome RunWith(const std::string& brand, const std::string& consumption, char separator) {
    korvel::RunInputs typed = korvel::testing::WorkedExample();
    typed.brand = brand;
    typed.yearlyConsumption = consumption;
    return korvel::Calculate(typed, separator);
}

QByteArray ReadAll(const QString& path) {
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// A report of the worked example, written by the report writer.
std::filesystem::path Golden(const char* name) { return std::filesystem::path(KORVEL_GOLDEN_DIR) / name; }

// The text lines of a shown document, blanks simplified.
QStringList ShownLines(const QTextDocument& document) {
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (const QString& line : block.text().split(QChar::LineSeparator))
            if (!line.simplified().isEmpty()) lines << line.simplified();
    return lines;
}

// What a word processor finds in an OpenDocument content.xml: the text lines,
// each table's declared column count, and every row whose cells do not match.
struct OdtContent {
    QStringList lines;
    QList<int> columns;
    QStringList misfits;
};

OdtContent ReadOdtContent(const std::string& xml) {
    OdtContent odt;
    QXmlStreamReader reader(QByteArray::fromStdString(xml));
    QString line;
    QList<QPair<int, int>> tables;  // declared columns, cells in the current row
    const auto endLine = [&] {
        if (!line.simplified().isEmpty()) odt.lines << line.simplified();
        line.clear();
    };
    const auto count = [&](const char* attribute) { return qMax(1, reader.attributes().value(attribute).toInt()); };
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.qualifiedName();
        if (reader.isCharacters()) {
            line += reader.text();
        } else if (reader.isStartElement()) {
            if (name == u"table:table") tables.append({0, 0});
            if (name == u"table:table-column") tables.last().first += count("table:number-columns-repeated");
            if (name == u"table:table-row") tables.last().second = 0;
            if (name == u"table:table-cell" || name == u"table:covered-table-cell") ++tables.last().second;
            if (name == u"text:s") line += QString(count("text:c"), QLatin1Char(' '));
            if (name == u"text:tab") line += QLatin1Char(' ');
            if (name == u"text:p" || name == u"text:h" || name == u"text:line-break") endLine();
        } else if (reader.isEndElement()) {
            if (name == u"text:p" || name == u"text:h") endLine();
            if (name == u"table:table-row" && tables.last().second != tables.last().first)
                odt.misfits
                    << QStringLiteral("%1 cells, %2 columns").arg(tables.last().second).arg(tables.last().first);
            if (name == u"table:table") odt.columns << tables.takeLast().first;
        }
    }
    return odt;
}

// Lowers the size of the largest file this process may write, so that a write
// fails part-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

// The export of the given kind of the report shown in `view`.
bool Export(const QString& kind, const korvel::WebBrowser& view, const QString& path) {
    if (kind == u"htm") return korvel::SaveReportHtml(view.ShownBytes(), path);
    if (kind == u"pdf") return korvel::SaveReportPdf(*view.document(), path);
    if (kind == u"odt") return korvel::SaveReportOdt(*view.document(), path);
    const korvel::RunOutcome run = RunWith("УОНИ 13/45", "330.00", ',');
    if (kind == u"xlsx") return korvel::SaveTotalsXlsx(run.inputs, run.results, path);
    return korvel::SaveTotalsCsv(run.inputs, run.results, ',', path);
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
    // The XLSX export's module as this build made it.
    void initTestCase() { korvel::SetModuleFolder(KORVEL_MODULE_DIR); }

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
        const korvel::RunOutcome run = RunWith(brand.toStdString(), consumption.toStdString(), separator);
        const korvel::CalcResults& results = run.results;
        const std::string csv = korvel::TotalsCsv(run.inputs, results, separator);

        QVERIFY(csv.starts_with("\xEF\xBB\xBF"));
        QVERIFY(csv.ends_with("\r\n"));
        QStringList rows = QString::fromUtf8(csv.substr(3)).split("\r\n");
        rows.removeLast();
        const QChar delimiter = separator == ',' ? ';' : ',';
        QCOMPARE(SplitRow(rows.takeFirst(), delimiter), (QStringList{"Источник выброса", "__________"}));
        QCOMPARE(SplitRow(rows.takeFirst(), delimiter), (QStringList{"Марка электрода", brand}));
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
        korvel::RunOutcome run = RunWith("УОНИ 13/45", "330.00", ',');
        run.inputs.sourceName = "=Цех 1";
        const std::string csv = korvel::TotalsCsv(run.inputs, run.results, ',');
        QVERIFY(csv.starts_with("\xEF\xBB\xBFИсточник выброса;'=Цех 1\r\nМарка электрода;УОНИ 13/45\r\n"));
        QVERIFY(csv.find("\r\n0143;Марганец и его соединения;0,000184;0,0003036\r\n") != std::string::npos);
        QVERIFY(csv.find("\r\n2908;Пыль неорганическая, содержащая SiO2 (20 - 70%);0,00028;0,000462\r\n") !=
                std::string::npos);
        const korvel::RunOutcome dotted = RunWith("УОНИ 13/45", "330.00", '.');
        QVERIFY(korvel::TotalsCsv(dotted.inputs, dotted.results, '.')
                    .find("\r\n2908,\"Пыль неорганическая, содержащая SiO2 (20 - 70%)\",0.00028,0.000462\r\n") !=
                std::string::npos);
    }

    // Codes stay codes and numbers numbers in a spreadsheet; the source and
    // brand stand above the table.
    void totalsXlsxOfTheWorkedExample() {
        korvel::RunOutcome run = RunWith("УОНИ 13/45", "330.00", ',');
        run.inputs.sourceName = "=Цех 1";
        QTemporaryDir dir;
        QVERIFY(korvel::SaveTotalsXlsx(run.inputs, run.results, dir.filePath("t.xlsx")));
        auto cells = korvel::testing::XlsxCells(dir.filePath("t.xlsx").toStdString());
        QCOMPARE(cells["A1"].value, "Источник выброса");
        QCOMPARE(cells["B1"].value, "=Цех 1");
        QCOMPARE(cells["B2"].value, "УОНИ 13/45");
        QCOMPARE(cells["A4"].value, "Код вещества");
        QVERIFY(cells["A5"].text && cells["A7"].text);
        QCOMPARE(cells["A5"].value, "0143");
        QCOMPARE(cells["A7"].value, "2908");
        QVERIFY(!cells["C5"].text && !cells["D7"].text);
        QCOMPARE(std::stod(cells["C5"].value), run.results.maxEmission[0]);
        QCOMPARE(std::stod(cells["D7"].value), run.results.grossEmission[2]);
        QVERIFY(!cells.contains("A12"));  // seven substances of this brand
    }

    void odtHoldsTheWholeReport_data() {
        QTest::addColumn<QString>("report");
        QTest::newRow("daily") << "worked_daily_comma.htm";
        QTest::newRow("per year") << "worked_per_year_stop.htm";
    }
    void odtHoldsTheWholeReport() {
        QFETCH(QString, report);
        QTemporaryDir dir;
        korvel::WebBrowser view;
        view.Navigate(Golden(qPrintable(report)));
        QVERIFY(korvel::SaveReportOdt(*view.document(), dir.filePath("r.odt")));

        const OdtContent odt =
            ReadOdtContent(korvel::testing::ReadZipEntry(dir.filePath("r.odt").toStdString(), "content.xml"));
        QCOMPARE(odt.columns, (QList<int>{3, 4}));  // the factor table, the totals table
        QVERIFY2(odt.misfits.isEmpty(), qPrintable(odt.misfits.join(u'\n')));
        const QStringList shown = ShownLines(*view.document());
        QVERIFY(shown.size() > 40);
        for (const QString& line : shown) QVERIFY2(odt.lines.contains(line), qPrintable(line));
    }

    void exportsReplaceAtomically_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("html") << "htm" << QByteArray("<HTML>");
        QTest::newRow("pdf") << "pdf" << QByteArray("%PDF-");
        QTest::newRow("odt") << "odt" << QByteArray("PK\x03\x04");
        QTest::newRow("csv") << "csv" << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("xlsx") << "xlsx" << QByteArray("PK\x03\x04");
    }
    void exportsReplaceAtomically() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString path = dir.filePath("export." + kind);
        const QByteArray old = "the user's own file\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        korvel::WebBrowser view;
        view.Navigate(Golden("worked_daily_comma.htm"));

        {  // A write that fails part-way leaves the old file, and nothing else.
            const FileSizeLimit limit(static_cast<rlim_t>(old.size()));
            QVERIFY(!Export(kind, view, path));
        }
        QCOMPARE(ReadAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"export." + kind});

        QVERIFY(Export(kind, view, path));
        QVERIFY(ReadAll(path).startsWith(start));
    }
};

QTEST_MAIN(ReportExportTest)
#include "report_export_test.moc"
