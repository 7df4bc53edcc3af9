// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "gui/form1.h"
#include "gui/message_box_feedback.h"
#include "gui/report_window_host.h"
#include "platform/window_placement.h"
#include "report/windows1251.h"

namespace {

// Every box in the order shown, and what the result fields held when the
// error box came up.
class RecordingFeedback : public korvel::RunFeedback {
public:
    void ShowMessage(std::string_view message) override {
        messages.append(QString::fromUtf8(message.data(), qsizetype(message.size())));
        events.append(messages.last());
    }
    void ShowError(const korvel::FatalError& error) override {
        errors.append(error.Code());
        events.append(QStringLiteral("Ошибка %1").arg(error.Code()));
        for (const char* name : {"Text5", "Text6"})
            textsAtError.append(form->findChild<QLineEdit*>(QString::fromLatin1(name))->text());
    }
    QWidget* form = nullptr;
    QStringList messages, events, textsAtError;
    QList<int> errors;
};

class RecordingDisplay : public korvel::ReportDisplay {
public:
    void ShowReport(const std::filesystem::path& path, const korvel::CalcInputs&, const korvel::CalcResults&) override {
        shownPath = QString::fromStdString(path.string());
        ++shown;
    }
    int shown = 0;
    QString shownPath;
};

// The window as the program starts it, with recording doubles behind the
// button and the report in a temporary folder.
struct Started {
    explicit Started(char separator = ',')
        : report(folder.filePath(QStringLiteral("korvel.htm"))), form(separator, report.toStdString()) {
        feedback.form = &form;
        form.AttachRun(feedback, display);
        form.LoadStep();
        form.show();
        form.activateWindow();
        active = QTest::qWaitForWindowActive(&form);
    }
    template <typename T = QWidget>
    T* Get(const QString& name) {
        T* widget = form.findChild<T*>(name);
        if (widget == nullptr) qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QString Text(const char* name) { return Get<QLineEdit>(QString::fromLatin1(name))->text(); }
    void Click(const char* name) { QTest::mouseClick(Get(QString::fromLatin1(name)), Qt::LeftButton); }
    bool Ran() const { return QFile::exists(report); }
    QTemporaryDir folder;
    QString report;
    korvel::Form1 form;
    RecordingFeedback feedback;
    RecordingDisplay display;
    bool active = false;
};

// How far a label's text reaches when it has room to spare: a twin with the
// same font, wrap width and alignment, painted black on white.
QSize InkExtent(const QLabel& label) {
    const int frame = label.frameWidth();
    QLabel twin(label.text());
    twin.setFont(label.font());
    twin.setWordWrap(true);
    twin.setAlignment((label.alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    twin.setPalette(palette);
    twin.setAutoFillBackground(true);
    twin.setContentsMargins(0, 0, 40, 0);
    twin.setGeometry(0, 0, label.width() - 2 * frame + 40, 200);
    const QImage image = twin.grab().toImage();
    QSize extent(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) extent = extent.expandedTo(QSize(x + 1, y + 1));
    return extent + QSize(2 * frame, 2 * frame);
}

bool IsInput(const QWidget* w) { return !w->inherits("QLabel") && !w->inherits("korvel::OutlineRect"); }

QStringList Shown(const QWidget& form) {
    QStringList names;
    for (QWidget* w : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!w->isHidden()) names << w->objectName();
    names.sort();
    return names;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void window() {
        Started s;
        QCOMPARE(s.form.windowTitle(), QStringLiteral("Расчет выделений ЗВ при электросварке"));
        QCOMPARE(s.form.size(), QSize(549, 293));
        QCOMPARE(s.form.minimumSize(), s.form.maximumSize());
        QCOMPARE(s.form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 29);
    }

    void control_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("alignment");
        const QString rect = "korvel::OutlineRect", label = "QLabel", field = "QLineEdit";
        const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;
        auto row = [](const char* name, const QString& kind, const char* text, QRect geometry, bool visible = true,
                      bool enabled = true, int alignment = 0) {
            QTest::newRow(name) << kind << QString::fromUtf8(text) << geometry << visible << enabled << alignment;
        };
        row("Shape7", rect, "", {24, 8, 257, 41});
        row("Check1", "QCheckBox", "", {32, 16, 17, 17});
        row("Label8", label, "Рассчитывать максимально-разовый выброс прямым пересчетом из валового", {56, 16, 217, 33},
            true, true, left);
        row("Shape5", rect, "", {288, 8, 257, 41});
        row("Label6", label, "Номер источника", {296, 24, 97, 17}, true, true, left);
        row("Text7", field, "__________", {400, 24, 137, 19}, true, true, left);
        row("Shape6", rect, "", {24, 56, 521, 49});
        row("Label7", label, "Выберите марку электрода", {40, 72, 185, 17}, true, true, left);
        row("Combo1", "QComboBox", "", {240, 72, 297, 21});
        row("Shape1", rect, "", {24, 112, 353, 33});
        row("Label1", label, "Масса израсходованных за год электродов, кг", {32, 120, 257, 17}, true, true, left);
        row("Text1", field, "330.00", {296, 120, 73, 19}, true, true, right);
        row("Shape2", rect, "", {24, 152, 353, 33});
        row("Label2", label, "Время непрерывной сварки в день, час.,мин. ", {32, 160, 257, 17}, true, true, left);
        row("Text2", field, "1", {296, 160, 33, 19}, true, true, right);
        row("Text3", field, "15", {336, 160, 33, 19}, true, true, right);
        row("Shape3", rect, "", {24, 192, 353, 33});
        row("Label3", label, "Количество рабочих дней в году", {32, 200, 257, 17}, true, true, left);
        row("Text4", field, "365", {296, 200, 73, 19}, true, true, right);
        row("Shape8", rect, "", {24, 152, 353, 73}, false);
        row("Label9", label, "Время работы участка, часов в год", {32, 160, 257, 17}, false, true, left);
        row("Text8", field, "502", {240, 160, 89, 19}, false, true, right);
        row("Shape4", rect, "", {400, 112, 145, 113});
        row("Label4", label, "Масса электродов, расходуемых в день, кг", {408, 112, 121, 25}, true, true, centre);
        row("Text5", field, "Не рассчитано", {408, 144, 129, 19}, true, false, right);
        row("Label5", label, "Время непрерывной сварки, сек", {408, 168, 121, 25}, true, true, centre);
        row("Text6", field, "Не рассчитано", {408, 200, 129, 19}, true, false, right);
        row("Command1", "QPushButton", "Расcчитать и сформировать отчет", {24, 240, 513, 17});
        row("Label10", label, "ver.1.01 beta 2003", {152, 264, 257, 17}, true, true, centre);
    }

    void control() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QFETCH(int, alignment);
        Started s;
        QWidget* w = s.Get(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(w->inherits(kind.toLatin1().constData()));
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(!w->isHidden(), visible);
        QCOMPARE(w->isEnabled(), enabled);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
            // Every caption is whole inside its fixed box.
            const QSize ink = InkExtent(*label);
            QVERIFY2(ink.width() <= label->width() && ink.height() <= label->height(), "caption overflows its box");
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(edit->text(), text);
            QCOMPARE(int(edit->alignment() & Qt::AlignHorizontal_Mask), alignment);
            QCOMPARE(edit->focusPolicy() == Qt::NoFocus, !enabled);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            QCOMPARE(button->text(), text);
            QVERIFY(button->fontMetrics().horizontalAdvance(text) < button->width());
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            QCOMPARE(check->text(), text);
            QCOMPARE(check->checkState(), Qt::Unchecked);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QVERIFY(!combo->isEditable());
            QCOMPARE(combo->currentText(), text);
        }
        // Inputs lie above every label and rectangle.
        const QObjectList stack = s.form.children();
        for (QObject* other : stack)
            if (auto* o = qobject_cast<QWidget*>(other); IsInput(o) != IsInput(w))
                QCOMPARE(stack.indexOf(w) > stack.indexOf(o), IsInput(w));
    }

    void brandList() {
        Started s;
        auto* combo = s.Get<QComboBox>("Combo1");
        QCOMPARE(combo->count(), 19);
        QCOMPARE(combo->itemText(0), QStringLiteral("УОНИ 13/45"));
        QCOMPARE(combo->itemText(5), QStringLiteral("АНО - 1"));
        QCOMPARE(combo->itemText(18), QStringLiteral("Т - 620"));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), QString());
    }

    void startFocus() {
        Started s;
        QVERIFY(s.active);
        QCOMPARE(Name(QApplication::focusWidget()), QStringLiteral("Text7"));
        QCOMPARE(s.Get<QLineEdit>("Text7")->selectedText(), QStringLiteral("__________"));
    }

    void tabCycle_data() {
        QTest::addColumn<bool>("perYear");
        QTest::addColumn<QStringList>("cycle");
        QTest::newRow("daily") << false << QStringList{"Text7", "Combo1", "Text1",    "Text2",
                                                       "Text3", "Text4",  "Command1", "Check1"};
        QTest::newRow("per-year") << true << QStringList{"Text7", "Combo1", "Text1", "Command1", "Check1", "Text8"};
    }

    void tabCycle() {
        QFETCH(bool, perYear);
        QFETCH(QStringList, cycle);
        Started s;
        QVERIFY(s.active);
        if (perYear) s.Click("Check1");
        s.Get("Text7")->setFocus();
        for (const Qt::KeyboardModifier direction : {Qt::NoModifier, Qt::ShiftModifier}) {
            QStringList seen{Name(QApplication::focusWidget())};
            for (qsizetype i = 0; i < cycle.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, direction);
                seen << Name(QApplication::focusWidget());
            }
            QStringList expected = cycle;
            if (direction == Qt::ShiftModifier) std::reverse(expected.begin() + 1, expected.end());
            QCOMPARE(seen, expected + QStringList{cycle.first()});
        }
    }

    void modeSwitchThereAndBack() {
        Started s;
        s.Get<QLineEdit>("Text2")->setText(QStringLiteral("7"));
        s.Get<QLineEdit>("Text5")->setText(QStringLiteral("0,9"));
        const QStringList daily = Shown(s.form);
        QCOMPARE(daily.size(), 26);

        s.Click("Check1");
        QCOMPARE(s.Get<QCheckBox>("Check1")->checkState(), Qt::Checked);
        QStringList perYear = daily;
        for (const char* name : {"Text2", "Text3", "Text4", "Label2", "Label3", "Shape2", "Shape3", "Text5", "Text6"})
            QVERIFY(perYear.removeOne(QString::fromLatin1(name)));
        perYear << "Shape8"
                << "Label9"
                << "Text8";
        perYear.sort();
        QCOMPARE(Shown(s.form), perYear);

        s.Click("Check1");
        QCOMPARE(s.Get<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
        QCOMPARE(Shown(s.form), daily);
        QCOMPARE(s.Text("Text2"), QStringLiteral("7"));
        QCOMPARE(s.Text("Text5"), QStringLiteral("0,9"));
        QVERIFY(!s.Ran());
    }

    void selectAllOnFocus_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("how");
        for (const char* field : {"Text1", "Text2", "Text3", "Text4", "Text7", "Text8"})
            for (const char* how : {"Tab", "Shift+Tab", "click"})
                QTest::addRow("%s by %s", field, how) << QString::fromLatin1(field) << QString::fromLatin1(how);
    }

    void selectAllOnFocus() {
        QFETCH(QString, field);
        QFETCH(QString, how);
        Started s;
        QVERIFY(s.active);
        if (field == QStringLiteral("Text8")) s.Click("Check1");
        auto* edit = s.Get<QLineEdit>(field);
        const QString text = edit->text();
        if (how == QStringLiteral("click")) {
            s.Get("Combo1")->setFocus();
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(3, edit->height() / 2));
        } else {
            // Step out to the neighbour and back in.
            const bool forward = how == QStringLiteral("Tab");
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Tab, forward ? Qt::ShiftModifier : Qt::NoModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
        }
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), text);
        QTest::keyClicks(edit, QStringLiteral("500"));
        QCOMPARE(edit->text(), QStringLiteral("500"));
        // A later click in the focused field places the caret as usual.
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
        QVERIFY(!edit->hasSelectedText());
    }

    void returningToTheWindowKeepsTheCaret() {
        Started s;
        QVERIFY(s.active);
        auto* edit = s.Get<QLineEdit>("Text1");
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
        QVERIFY(!edit->hasSelectedText());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        s.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.form));
        QCOMPARE(QApplication::focusWidget(), edit);
        QVERIFY(!edit->hasSelectedText());
    }

    void enterAndEscapePressNothing() {
        Started s;
        QVERIFY(s.active);
        s.Get<QComboBox>("Combo1")->setCurrentIndex(0);
        for (const char* name : {"Text7", "Combo1", "Text1", "Text4", "Command1", "Check1"}) {
            QWidget* w = s.Get(QString::fromLatin1(name));
            w->setFocus();
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(w, key);
        }
        QVERIFY(!s.Ran());
        QCOMPARE(s.Text("Text5"), QStringLiteral("Не рассчитано"));
        // Space on the focused button presses it.
        s.Get("Command1")->setFocus();
        QTest::keyClick(s.Get("Command1"), Qt::Key_Space);
        QVERIFY(s.Ran());
    }

    void cleanRun_data() {
        QTest::addColumn<char>("separator");
        QTest::addColumn<QString>("daily");
        QTest::newRow("comma") << ',' << QStringLiteral("0,9");
        QTest::newRow("full stop") << '.' << QStringLiteral("0.9");
    }

    void cleanRun() {
        QFETCH(char, separator);
        QFETCH(QString, daily);
        Started s(separator);
        auto* combo = s.Get<QComboBox>("Combo1");
        combo->setCurrentIndex(combo->findText(QStringLiteral("УОНИ 13/45")));
        s.Click("Command1");
        QVERIFY(s.feedback.messages.isEmpty() && s.feedback.errors.isEmpty());
        QCOMPARE(s.Text("Text5"), daily);
        QCOMPARE(s.Text("Text6"), QStringLiteral("4500"));
        QCOMPARE(s.display.shown, 1);
        QCOMPARE(s.display.shownPath, s.report);
        QFile file(s.report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains(QByteArray::fromStdString(korvel::ToWindows1251("УОНИ 13/45"))));
        QVERIFY(bytes.contains(QByteArray::fromStdString(korvel::ToWindows1251("__________"))));
    }

    void emptyBrand() {
        Started s;
        s.Click("Command1");
        QCOMPARE(s.feedback.messages, QStringList{QStringLiteral("Марка электрода не выбрана !!!")});
        QVERIFY(s.Ran());
        QCOMPARE(s.display.shown, 0);
        QCOMPARE(s.Text("Text5"), QStringLiteral("Ошибка в исх. данных"));
        QCOMPARE(s.Text("Text6"), QStringLiteral("Ошибка в исх. данных"));
    }

    // A run that stops: its message first, then the results it got as far as,
    // then the error box; no report.
    void stopAfterAMessage() {
        Started s;
        s.Get<QLineEdit>("Text2")->setText(QStringLiteral("0"));
        s.Get<QLineEdit>("Text3")->setText(QStringLiteral("0"));
        s.Click("Command1");
        QCOMPARE(s.feedback.events,
                 (QStringList{QStringLiteral("Марка электрода не выбрана !!!"), QStringLiteral("Ошибка 6")}));
        QCOMPARE(s.feedback.textsAtError, (QStringList{QStringLiteral("0,9"), QStringLiteral("0")}));
        QCOMPARE(s.Text("Text5"), QStringLiteral("0,9"));
        QVERIFY(!s.Ran());
        QCOMPARE(s.display.shown, 0);
    }

    void centring_data() {
        QTest::addColumn<QList<float>>("sizes");  // screen and outer window, twips
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<QPoint>("pixels");
        QTest::newRow("800x600") << QList<float>{12000, 9000, 8325, 4800} << 1837.5f << 2100.f << QPoint(123, 140);
        QTest::newRow("larger than screen")
            << QList<float>{12000, 9000, 12315, 9000} << -157.5f << 0.f << QPoint(-11, 0);
        QTest::newRow("odd twips") << QList<float>{20490, 11520, 8325, 4801} << 6082.5f << 3359.5f << QPoint(406, 224);
    }

    void centring() {
        QFETCH(QList<float>, sizes);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(QPoint, pixels);
        const korvel::TwipPosition pos = korvel::CentredPosition(sizes[0], sizes[1], sizes[2], sizes[3]);
        QCOMPARE(pos.left, left);
        QCOMPARE(pos.top, top);
        QCOMPARE(QPoint(korvel::TwipsToPixels(pos.left), korvel::TwipsToPixels(pos.top)), pixels);
    }

    void loadStepCentresTheWindow() {
        korvel::Form1 form(',', "korvel.htm");
        form.LoadStep();
        const QRect screen = form.screen()->geometry();
        const QSize outer = form.frameGeometry().size();
        QCOMPARE(form.frameGeometry().topLeft(),
                 screen.topLeft() + QPoint(int(std::lround((screen.width() - outer.width()) / 2.0)),
                                           int(std::lround((screen.height() - outer.height()) / 2.0))));
    }

private:
    static QString Name(QWidget* w) { return w ? w->objectName() : QStringLiteral("<none>"); }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
