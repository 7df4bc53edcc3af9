// SPDX-License-Identifier: GPL-3.0-or-later
// The report window and its HTML view on the offscreen platform.
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include "gui/report_window_host.h"
#include "tests/gui/cp1251_file.h"

using korvel::Form2;
using korvel::ReportWindowHost;
using korvel::WebBrowser;

namespace {

const QString kTitle = QStringLiteral("Отчет по образующимся загрязняющим веществам");

QString Report(const QString& body) {
    return QStringLiteral("<HTML>\r\n<HEAD><TITLE>") + kTitle + QStringLiteral("</TITLE>\r\n</HEAD>\r\n<BODY>\r\n") +
           body + QStringLiteral("\r\n</body></HTML>\r\n");
}

void DestroyClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class ReportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void viewDecodesWindows1251_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("title words") << QStringLiteral("Расход электродов марки УОНИ 13/45");
        QTest::newRow("ё and Ё") << QStringLiteral("Ёлка ёж");
        QTest::newRow("signs of the upper half") << QStringLiteral("№ 5 — «кавычки»");
        QTest::newRow("look-alike letters") << QStringLiteral("G = 0,92 х 0,9 / 4500");
        // A "<" that starts no tag is text, as in a web browser.
        QTest::newRow("less-than in a source name") << QStringLiteral("Цех <1> & Ко \"А\"");
        QTest::newRow("less-than before blank and sign") << QStringLiteral("3 < 4 <= 5 <");
    }
    void viewDecodesWindows1251() {
        QFETCH(QString, text);
        const QString path = dir_.filePath("korvel.htm");
        korvel::testing::WriteCp1251(path, Report(QStringLiteral("<P>") + text + QStringLiteral("</P>")));
        WebBrowser view;
        view.Navigate(path.toStdString());
        QCOMPARE(view.document()->metaInformation(QTextDocument::DocumentTitle), kTitle);
        QVERIFY2(view.toPlainText().contains(text), qPrintable(view.toPlainText()));
    }

    void viewLoadsLocalResourcesOnly() {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(dir_.filePath("pic.png")));
        const QString path = dir_.filePath("korvel.htm");
        // What a source name typed into the report can bring along.
        korvel::testing::WriteCp1251(path, Report(QStringLiteral("<img src=pic.png>"
                                                                 "<img src=http://127.0.0.1:9/x.png>"
                                                                 "<img src=https://example.invalid/y.png>"
                                                                 "<img src=//example.invalid/z.png>"
                                                                 "<img src=file://example.invalid/share/w.png>")));
        WebBrowser view;
        view.resize(300, 200);
        view.Navigate(path.toStdString());
        view.grab();  // layout asks for every image
        QVERIFY(view.RefusedResources() >= 4);

        // The relative name resolves against the report's folder.
        const QImage local = view.loadResource(QTextDocument::ImageResource, QUrl("pic.png")).value<QImage>();
        QVERIFY(!local.isNull());
        QCOMPARE(local.pixel(0, 0), QColor(Qt::red).rgb());
        for (const char* remote : {"http://127.0.0.1:9/x.png", "https://example.invalid/y.png",
                                   "//example.invalid/z.png", "file://example.invalid/share/w.png"}) {
            QVERIFY2(view.loadResource(QTextDocument::ImageResource, QUrl(remote)).isNull(), remote);
        }
    }

    void linksGoToTheDesktopNotTheView_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<bool>("opened");
        QTest::newRow("web site") << "https://example.invalid/" << true;
        QTest::newRow("plain web") << "http://example.invalid/a" << true;
        QTest::newRow("mail") << "mailto:a@example.invalid?body=Мое мнение&subject=Автору" << true;
        QTest::newRow("local file") << "file:///bin/sh" << false;
        QTest::newRow("relative file") << "other.htm" << false;
        QTest::newRow("script") << "javascript:alert(1)" << false;
    }
    void linksGoToTheDesktopNotTheView() {
        QFETCH(QString, href);
        QFETCH(bool, opened);
        const QString path = dir_.filePath("korvel.htm");
        korvel::testing::WriteCp1251(path, Report(QStringLiteral("<a href=\"%1\">ссылка</a>").arg(href)));
        WebBrowser view;
        QList<QUrl> urls;
        view.openLink = [&urls](const QUrl& url) {
            urls.append(url);
            return true;
        };
        view.Navigate(path.toStdString());
        const QString before = view.toHtml();
        emit view.anchorClicked(QUrl(href));
        QCOMPARE(urls, opened ? QList<QUrl>{QUrl(href)} : QList<QUrl>{});
        QCOMPARE(view.toHtml(), before);
    }

    void unreadableFileLeavesANotice() {
        WebBrowser view;
        view.Navigate(dir_.filePath("missing.htm").toStdString());
        QVERIFY(view.toPlainText().contains(QStringLiteral("Не удалось открыть файл отчета")));
    }

    void form2HasItsLayout() {
        Form2 form(',');
        QCOMPARE(form.windowTitle(), QString::fromUtf8(korvel::kForm2Caption));
        QCOMPARE(form.size(), QSize(632, 453));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.WebBrowser1->geometry(), QRect(0, 8, 633, 441));
        QVERIFY(form.testAttribute(Qt::WA_DeleteOnClose));
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(form.WebBrowser1->toPlainText().isEmpty());
    }

    void hostCreatesReusesAndRecreates() {
        const QString path = dir_.filePath("korvel.htm");
        ReportWindowHost host(',');
        QVERIFY(host.Window() == nullptr);

        korvel::testing::WriteCp1251(path, Report(QStringLiteral("первый")));
        host.ShowReport(path.toStdString(), {}, {});
        QPointer<Form2> first = host.Window();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QVERIFY(first->parentWidget() == nullptr);
        QVERIFY(!first->isModal());
        const QPoint centre = first->screen()->geometry().center();
        QVERIFY(qAbs(first->frameGeometry().center().x() - centre.x()) <= 1);
        QVERIFY(qAbs(first->frameGeometry().center().y() - centre.y()) <= 1);
        QVERIFY(first->WebBrowser1->toPlainText().contains(QStringLiteral("первый")));

        // The user moves it; the next report comes into the same window there.
        first->move(10, 20);
        korvel::testing::WriteCp1251(path, Report(QStringLiteral("второй")));
        host.ShowReport(path.toStdString(), {}, {});
        QCOMPARE(host.Window(), first.data());
        QCOMPARE(first->pos(), QPoint(10, 20));
        QVERIFY(first->WebBrowser1->toPlainText().contains(QStringLiteral("второй")));
        QVERIFY(!first->WebBrowser1->toPlainText().contains(QStringLiteral("первый")));

        // Closed by the user: destroyed, and the next report makes it anew, centred.
        QVERIFY(first->close());
        DestroyClosedWindows();
        QVERIFY(first.isNull());
        QVERIFY(host.Window() == nullptr);
        host.ShowReport(path.toStdString(), {}, {});
        QVERIFY(host.Window() != nullptr);
        QVERIFY(host.Window()->isVisible());
        QVERIFY(qAbs(host.Window()->frameGeometry().center().x() - centre.x()) <= 1);
        QVERIFY(host.Window()->WebBrowser1->toPlainText().contains(QStringLiteral("второй")));
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(ReportWindowTest)
#include "report_window_test.moc"
