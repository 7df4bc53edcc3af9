// SPDX-License-Identifier: GPL-3.0-or-later
// From a click on Command1 to the report window, through the real input
// window, report writer and report window (offscreen platform).
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/program.h"
#include "support/form_controls.h"

namespace {

const QString kTitle = QStringLiteral("Отчет по образующимся загрязняющим веществам");
const QString kFailed = QStringLiteral("Ошибка в исх. данных");

class RecordingFeedback : public korvel::RunFeedback {
public:
    void ShowMessage(std::string_view message) override { messages << QString::fromUtf8(message); }
    void ShowError(const korvel::FatalError& error) override { errors << error.Code(); }
    QStringList messages;
    QList<int> errors;
};

// The program as main() puts it together, with the report in a temporary folder.
struct Program : korvel::Program {
    explicit Program(const QString& reportPath) : korvel::Program(reportPath.toStdString(), ',') {
        form.AttachRun(feedback, reportWindow);
        Start();
    }
    void Click() { form.findChild<QPushButton*>("Command1")->click(); }
    void Set(const char* name, const char* text) { korvel::testing::SetControl(form, name, QString::fromUtf8(text)); }
    QString Field(const char* name) { return form.findChild<QLineEdit*>(name)->text(); }
    QString Shown() { return reportWindow.Window()->WebBrowser1->toPlainText(); }

    RecordingFeedback feedback;
};

QByteArray ReadAll(const QString& path) {
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

bool Centred(const QWidget& window) {
    const QPoint screen = window.screen()->geometry().center();
    const QPoint centre = window.frameGeometry().center();
    return qAbs(screen.x() - centre.x()) <= 1 && qAbs(screen.y() - centre.y()) <= 1;
}

void DestroyClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class ReportFlowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath("korvel.htm");
        QFile::remove(path_);
        program_ = std::make_unique<Program>(path_);
    }
    void cleanup() { program_.reset(); }

    void cleanRunsOpenThenReuseTheReportWindow() {
        Program& p = *program_;
        QVERIFY(p.reportWindow.Window() == nullptr);
        p.Set("Combo1", "УОНИ 13/45");
        p.Click();
        QPointer<korvel::Form2> window = p.reportWindow.Window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(Centred(*window));
        QCOMPARE(window->WebBrowser1->document()->metaInformation(QTextDocument::DocumentTitle), kTitle);
        QVERIFY2(p.Shown().contains(QStringLiteral("G = 0,92 х 0,9 / 4500 = 0,000184")), qPrintable(p.Shown()));
        QCOMPARE(p.Field("Text5"), QStringLiteral("0,9"));
        QCOMPARE(p.Field("Text6"), QStringLiteral("4500"));
        QVERIFY(p.feedback.messages.isEmpty());

        // The user moves the window; the next clean run shows its report there.
        window->move(30, 40);
        p.Set("Text1", "660");
        p.Click();
        QCOMPARE(p.reportWindow.Window(), window.data());
        QCOMPARE(window->pos(), QPoint(30, 40));
        QVERIFY(p.Shown().contains(QStringLiteral("Расход электродов марки УОНИ 13/45 составляет - 660 кг. в год.")));
        QVERIFY(!p.Shown().contains(QStringLiteral("составляет - 330 кг.")));
    }

    void failedRunLeavesTheReportWindowAlone_data() {
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("days");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("inNewFile");
        QTest::newRow("no brand") << ""
                                  << "365" << 1 << QStringLiteral("марки  составляет");
        QTest::newRow("400 days") << "УОНИ 13/55"
                                  << "400" << 1 << QStringLiteral("Участок работает 400 дн.");
        QTest::newRow("no brand and 400 days") << ""
                                               << "400" << 2 << QStringLiteral("Участок работает 400 дн.");
    }
    void failedRunLeavesTheReportWindowAlone() {
        QFETCH(QString, brand);
        QFETCH(QString, days);
        QFETCH(int, messages);
        QFETCH(QString, inNewFile);
        Program& p = *program_;
        p.Set("Combo1", "УОНИ 13/45");
        p.Click();
        QPointer<korvel::Form2> window = p.reportWindow.Window();
        QVERIFY(window);
        const QString before = p.Shown();
        const QByteArray fileBefore = ReadAll(path_);

        p.Set("Combo1", brand.toUtf8().constData());
        p.Set("Text4", days.toUtf8().constData());
        p.Click();
        QCOMPARE(p.feedback.messages.size(), messages);
        QCOMPARE(p.Field("Text5"), kFailed);
        QCOMPARE(p.Field("Text6"), kFailed);
        // The file holds the failed run's report; the window still the old one.
        const QByteArray fileAfter = ReadAll(path_);
        QVERIFY(fileAfter != fileBefore);
        QVERIFY(korvel::DecodeWindows1251(fileAfter).contains(inNewFile));
        QCOMPARE(p.reportWindow.Window(), window.data());
        QCOMPARE(p.Shown(), before);

        // The web browser gets a private copy of the report on show, marked
        // with its code page; the report file stays as the failed run left it.
        QUrl opened;
        window->WebBrowser1->openLink = [&opened](const QUrl& url) {
            opened = url;
            return true;
        };
        window->OpenInBrowser();
        QCOMPARE(ReadAll(opened.toLocalFile()), "<meta charset=\"windows-1251\">\r\n" + fileBefore);
        QCOMPARE(std::filesystem::status(QFileInfo(opened.toLocalFile()).path().toStdString()).permissions(),
                 std::filesystem::perms::owner_all);
        QCOMPARE(ReadAll(path_), fileAfter);
    }

    void failedRunOpensNoWindow() {
        Program& p = *program_;
        p.Click();  // no brand at start
        QCOMPARE(p.Field("Text5"), kFailed);
        QVERIFY(QFile::exists(path_));
        QVERIFY(p.reportWindow.Window() == nullptr);
    }

    void closedWindowComesBackCentred() {
        Program& p = *program_;
        p.Set("Combo1", "АНО - 7");
        p.Click();
        p.reportWindow.Window()->move(5, 5);
        QVERIFY(p.reportWindow.Window()->close());
        DestroyClosedWindows();
        QVERIFY(p.reportWindow.Window() == nullptr);
        QVERIFY(p.form.isVisible());

        p.Click();
        QVERIFY(p.reportWindow.Window() != nullptr);
        QVERIFY(p.reportWindow.Window()->isVisible());
        QVERIFY(Centred(*p.reportWindow.Window()));
        QVERIFY(p.Shown().contains(QStringLiteral("Расход электродов марки АНО - 7")));
    }

    void perYearFailureWritesTheHiddenFields() {
        Program& p = *program_;
        auto* check1 = p.form.findChild<QCheckBox*>("Check1");
        auto* text5 = p.form.findChild<QLineEdit*>("Text5");
        auto* text6 = p.form.findChild<QLineEdit*>("Text6");
        check1->click();
        QVERIFY(text5->isHidden() && text6->isHidden());
        p.Click();  // no brand
        QCOMPARE(text5->text(), kFailed);
        QCOMPARE(text6->text(), kFailed);
        QVERIFY(p.reportWindow.Window() == nullptr);
        check1->click();
        QVERIFY(text5->isVisible() && text6->isVisible());
        QCOMPARE(text5->text(), kFailed);
    }

    // The program ends with its last window, whichever of the two that is.
    void reportWindowOutlivesTheInputWindow() {
        Program& p = *program_;
        p.Set("Combo1", "УОНИ 13/45");
        p.Click();
        QPointer<korvel::Form2> window = p.reportWindow.Window();
        QVERIFY(window);
        bool openAfterForm1Closed = false;
        bool reportClosed = false;
        QTimer closeForm1, closeReport, giveUp;
        for (QTimer* timer : {&closeForm1, &closeReport, &giveUp}) timer->setSingleShot(true);
        connect(&closeForm1, &QTimer::timeout, [&] {
            p.form.close();
            openAfterForm1Closed = window && window->isVisible();
        });
        connect(&closeReport, &QTimer::timeout, [&] {
            reportClosed = true;
            window->close();
        });
        connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(2); });
        closeForm1.start(0);
        closeReport.start(100);
        giveUp.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(openAfterForm1Closed);
        QVERIFY(reportClosed);
    }

private:
    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<Program> program_;
};

QTEST_MAIN(ReportFlowTest)
#include "report_flow_test.moc"
