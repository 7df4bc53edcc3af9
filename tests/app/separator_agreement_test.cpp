// SPDX-License-Identifier: GPL-3.0-or-later
// The input window and korvel-batch take the decimal separator from one rule:
// under a locale the system has and under one it lacks, both write the worked
// example's daily consumption alike.
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "batch/batch_main.h"
#include "support/form_controls.h"

namespace {

// Boxes would wait for a click; any box fails the comparison instead.
class NoBoxes : public korvel::RunFeedback {
    void ShowMessage(std::string_view) override { QFAIL("unexpected message box"); }
    void ShowError(const korvel::FatalError&) override { QFAIL("unexpected error box"); }
};

// The window as main() builds it: its separator is the program's own choice.
QString WindowDailyConsumption(const QString& reportPath) {
    korvel::Program program(reportPath.toStdString());
    NoBoxes boxes;
    program.form.AttachRun(boxes, program.reportWindow);
    program.Start();
    korvel::testing::SetControl(program.form, "Combo1", QStringLiteral("УОНИ 13/45"));
    program.form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    return program.form.findChild<QLineEdit*>(QStringLiteral("Text5"))->text();
}

QByteArray BatchSummary(const QTemporaryDir& dir) {
    QFile input(dir.filePath(QStringLiteral("in.csv")));
    if (!input.open(QIODevice::WriteOnly)) return {};
    input.write("source;brand;consumption;hours;minutes;days\n__________;УОНИ 13/45;330.00;1;15;365\n");
    input.close();
    const std::string summary = dir.filePath(QStringLiteral("summary.csv")).toStdString();
    std::ostringstream out, err;
    const std::vector<std::string> args{input.fileName().toStdString(), "--summary", summary, "--summary-only"};
    korvel::batch::BatchMain(args, {out, err});
    QFile in(QString::fromStdString(summary));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

}  // namespace

class SeparatorAgreementTest : public QObject {
    Q_OBJECT

private slots:
    // A Russian locale of our own, so that the test needs no system set-up.
    void initTestCase() {
        QVERIFY(locales_.isValid());
        const int code = QProcess::execute(QStringLiteral("localedef"),
                                           {QStringLiteral("-i"), QStringLiteral("ru_RU"), QStringLiteral("-f"),
                                            QStringLiteral("UTF-8"), locales_.filePath(QStringLiteral("ru_RU.UTF-8"))});
        if (code != 0) QSKIP("localedef cannot build ru_RU (is the locales package installed?)");
        qputenv("LOCPATH", locales_.path().toLocal8Bit());
        qunsetenv("LC_ALL");
        qunsetenv("LC_NUMERIC");
    }

    void bothFrontEndsAgree_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("daily");
        QTest::newRow("generated ru_RU") << QByteArray("ru_RU.UTF-8") << QStringLiteral("0,9");
        QTest::newRow("missing de_DE") << QByteArray("de_DE.UTF-8") << QStringLiteral("0.9");
        QTest::newRow("C") << QByteArray("C") << QStringLiteral("0.9");
    }

    void bothFrontEndsAgree() {
        QFETCH(QByteArray, lang);
        QFETCH(QString, daily);
        qputenv("LANG", lang);
        QTemporaryDir dir;
        QCOMPARE(WindowDailyConsumption(dir.filePath(QStringLiteral("korvel.htm"))), daily);
        const QByteArray delimiter = daily.contains(QLatin1Char(',')) ? ";" : ",";
        const QByteArray summary = BatchSummary(dir);
        QVERIFY2(summary.contains(delimiter + daily.toUtf8() + delimiter), summary.constData());
    }

private:
    QTemporaryDir locales_;
};

QTEST_MAIN(SeparatorAgreementTest)
#include "separator_agreement_test.moc"
