#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cmath>

#include "app/centring.h"
#include "app/form1.h"
#include "calc/substances.h"
#include "platform/message_box_feedback.h"
#include "report/closing_step.h"

namespace {

using korvel::Control;

class RecordingFeedback : public korvel::RunFeedback {
public:
    void ShowMessage(std::string_view message) override { messages.append(QString::fromUtf8(message.data())); }
    void ShowError(const korvel::FatalError& error) override { errors.append(error.Code()); }
    QStringList messages;
    QList<int> errors;
};

class NoDisplay : public korvel::ReportDisplay {
public:
    void ShowReport(const std::filesystem::path&, const korvel::CalcInputs&, const korvel::CalcResults&) override {
        ++shown;
    }
    int shown = 0;
};

// The real closing step on the window, with a count of reports written.
class RecordingSteps : public korvel::RunSteps {
public:
    explicit RecordingSteps(korvel::FieldSource& fields) : fields_(fields) {}
    void WriteReport(const korvel::CalcInputs&, const korvel::CalcResults&) override { ++written; }
    void ClosingStep(const korvel::CalcInputs& inputs, const korvel::CalcResults& results) override {
        ++closed;
        korvel::ClosingStep(inputs, results, fields_, display, {});
    }
    int written = 0;
    int closed = 0;
    NoDisplay display;

private:
    korvel::FieldSource& fields_;
};

// A window as the program starts it, with recording doubles behind the button.
struct Started {
    explicit Started(char separator = ',') : form(separator), steps(form) {
        form.AttachRun(feedback, steps);
        form.LoadStep();
    }
    template <typename T = QWidget>
    T* Get(const char* name) {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) qFatal("no control %s", name);
        return widget;
    }
    bool ShowActive() {
        form.show();
        form.activateWindow();
        return QTest::qWaitForWindowActive(&form);
    }
    korvel::Form1 form;
    RecordingFeedback feedback;
    RecordingSteps steps;
};

// The extent of a label's text when it has room to spare: a twin with the
// same font, wrap width and alignment, black on white, no frame.
QSize InkExtent(const QLabel& label) {
    const int frame = label.frameWidth();
    const int spare = 40;
    QLabel twin(label.text());
    twin.setFont(label.font());
    twin.setWordWrap(true);
    twin.setAlignment((label.alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    QPalette palette = twin.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    twin.setPalette(palette);
    twin.setAutoFillBackground(true);
    twin.setContentsMargins(0, 0, spare, 0);
    twin.setGeometry(0, 0, label.width() - 2 * frame + spare, 200);
    const QImage image = twin.grab().toImage();
    QSize extent(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) extent = extent.expandedTo(QSize(x + 1, y + 1));
    return extent + QSize(2 * frame, 2 * frame);
}

QString Name(QWidget* w) { return w ? w->objectName() : QStringLiteral("<none>"); }

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
        const QString rect = QStringLiteral("korvel::OutlineRect");
        const QString label = QStringLiteral("QLabel");
        const QString field = QStringLiteral("QLineEdit");
        const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter, none = 0;
        auto row = [](const char* name, const QString& kind, const char* text, int x, int y, int w, int h, bool visible,
                      bool enabled, int alignment) {
            QTest::newRow(name) << kind << QString::fromUtf8(text) << QRect(x, y, w, h) << visible << enabled
                                << alignment;
        };
        row("Shape7", rect, "", 24, 8, 257, 41, true, true, none);
        row("Check1", "QCheckBox", "", 32, 16, 17, 17, true, true, none);
        row("Label8", label, "Рассчитывать максимально-разовый выброс прямым пересчетом из валового", 56, 16, 217, 33,
            true, true, left);
        row("Shape5", rect, "", 288, 8, 257, 41, true, true, none);
        row("Label6", label, "Номер источника", 296, 24, 97, 17, true, true, left);
        row("Text7", field, "__________", 400, 24, 137, 19, true, true, left);
        row("Shape6", rect, "", 24, 56, 521, 49, true, true, none);
        row("Label7", label, "Выберите марку электрода", 40, 72, 185, 17, true, true, left);
        row("Combo1", "QComboBox", "", 240, 72, 297, 21, true, true, none);
        row("Shape1", rect, "", 24, 112, 353, 33, true, true, none);
        row("Label1", label, "Масса израсходованных за год электродов, кг", 32, 120, 257, 17, true, true, left);
        row("Text1", field, "330.00", 296, 120, 73, 19, true, true, right);
        row("Shape2", rect, "", 24, 152, 353, 33, true, true, none);
        row("Label2", label, "Время непрерывной сварки в день, час.,мин. ", 32, 160, 257, 17, true, true, left);
        row("Text2", field, "1", 296, 160, 33, 19, true, true, right);
        row("Text3", field, "15", 336, 160, 33, 19, true, true, right);
        row("Shape3", rect, "", 24, 192, 353, 33, true, true, none);
        row("Label3", label, "Количество рабочих дней в году", 32, 200, 257, 17, true, true, left);
        row("Text4", field, "365", 296, 200, 73, 19, true, true, right);
        row("Shape8", rect, "", 24, 152, 353, 73, false, true, none);
        row("Label9", label, "Время работы участка, часов в год", 32, 160, 257, 17, false, true, left);
        row("Text8", field, "502", 240, 160, 89, 19, false, true, right);
        row("Shape4", rect, "", 400, 112, 145, 113, true, true, none);
        row("Label4", label, "Масса электродов, расходуемых в день, кг", 408, 112, 121, 25, true, true, centre);
        row("Text5", field, "Не рассчитано", 408, 144, 129, 19, true, false, right);
        row("Label5", label, "Время непрерывной сварки, сек", 408, 168, 121, 25, true, true, centre);
        row("Text6", field, "Не рассчитано", 408, 200, 129, 19, true, false, right);
        row("Command1", "QPushButton", "Расcчитать и сформировать отчет", 24, 240, 513, 17, true, true, none);
        row("Label10", label, "ver.1.01 beta 2003", 152, 264, 257, 17, true, true, centre);
    }

    void control() {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QFETCH(int, alignment);
        Started s;
        QWidget* w = s.Get(QTest::currentDataTag());
        QVERIFY(w->inherits(kind.toLatin1().constData()));
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(!w->isHidden(), visible);
        QCOMPARE(w->isEnabled(), enabled);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            QCOMPARE(label->text(), text);
            QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
            QVERIFY(label->wordWrap());
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
            // Every caption is whole inside its fixed box.
            const QSize ink = InkExtent(*label);
            QVERIFY2(ink.width() <= label->width() && ink.height() <= label->height(), "caption overflows its box");
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(edit->text(), text);
            QCOMPARE(int(edit->alignment() & Qt::AlignHorizontal_Mask), alignment);
            QCOMPARE(edit->focusPolicy() == Qt::NoFocus, !enabled);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            QCOMPARE(button->text(), text);
            QVERIFY(!button->autoDefault() && !button->isDefault());
            QVERIFY(button->fontMetrics().horizontalAdvance(text) < button->width());
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            QCOMPARE(check->text(), text);
            QCOMPARE(check->checkState(), Qt::Unchecked);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QVERIFY(!combo->isEditable());
            QCOMPARE(combo->currentIndex(), -1);
            QCOMPARE(combo->currentText(), text);
        }
        // Inputs lie above every label and rectangle.
        const bool input = !w->inherits("QLabel") && !w->inherits("korvel::OutlineRect");
        const QObjectList stack = s.form.children();
        for (QObject* other : stack) {
            auto* o = qobject_cast<QWidget*>(other);
            if (!o || o == w) continue;
            const bool otherInput = !o->inherits("QLabel") && !o->inherits("korvel::OutlineRect");
            if (input != otherInput) QCOMPARE(stack.indexOf(w) > stack.indexOf(o), input);
        }
    }

    void versionLabel() {
        Started s;
        auto* label = s.Get<QLabel>("Label10");
        QCOMPARE(label->frameShape(), QFrame::Box);
        QCOMPARE(label->lineWidth(), 1);
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window), s.form.palette().color(QPalette::HighlightedText));
    }

    void brandList() {
        Started s;
        auto* combo = s.Get<QComboBox>("Combo1");
        QCOMPARE(combo->count(), 19);
        QCOMPARE(combo->itemText(0), QStringLiteral("УОНИ 13/45"));
        QCOMPARE(combo->itemText(18), QStringLiteral("Т - 620"));
        for (int i = 0; i < combo->count(); ++i)
            QCOMPARE(combo->itemText(i).toStdString(), std::string(korvel::BrandTable[std::size_t(i)].name));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(s.form.Text(Control::Combo1), std::string());
    }

    void startFocus() {
        Started s;
        QVERIFY(s.ShowActive());
        auto* text7 = s.Get<QLineEdit>("Text7");
        QCOMPARE(QApplication::focusWidget(), text7);
        QCOMPARE(text7->selectedText(), QStringLiteral("__________"));
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
        QVERIFY(s.ShowActive());
        if (perYear) QTest::mouseClick(s.Get("Check1"), Qt::LeftButton);
        s.Get("Text7")->setFocus(Qt::OtherFocusReason);
        QStringList forward{Name(QApplication::focusWidget())};
        for (qsizetype i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            forward << Name(QApplication::focusWidget());
        }
        QCOMPARE(forward, cycle + QStringList{cycle.first()});
        QStringList backward{Name(QApplication::focusWidget())};
        for (qsizetype i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            backward << Name(QApplication::focusWidget());
        }
        QStringList reversed{cycle.first()};
        for (qsizetype i = cycle.size() - 1; i >= 0; --i) reversed << cycle[i];
        QCOMPARE(backward, reversed);
    }

    void modeSwitch() {
        Started s;
        QVERIFY(s.ShowActive());
        const QStringList perYearOnly{"Shape8", "Label9", "Text8"};
        const QStringList dailyOnly{"Text2",  "Text3",  "Text4", "Label2", "Label3",
                                    "Shape2", "Shape3", "Text5", "Text6"};
        s.Get<QLineEdit>("Text2")->setText(QStringLiteral("7"));
        s.form.SetText(Control::Text5, "0,9");
        auto visibleSet = [&s] {
            QStringList names;
            for (QWidget* w : s.form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                if (!w->isHidden()) names << w->objectName();
            names.sort();
            return names;
        };
        const QStringList daily = visibleSet();
        QCOMPARE(daily.size(), 26);
        for (const QString& name : perYearOnly) QVERIFY(!daily.contains(name));

        QTest::mouseClick(s.Get("Check1"), Qt::LeftButton);
        QCOMPARE(s.form.CheckValue(), 1);
        QStringList expected = daily;
        for (const QString& name : dailyOnly) expected.removeOne(name);
        expected << perYearOnly;
        expected.sort();
        QCOMPARE(visibleSet(), expected);
        QCOMPARE(s.Get<QLineEdit>("Text8")->text(), QStringLiteral("502"));

        QTest::mouseClick(s.Get("Check1"), Qt::LeftButton);
        QCOMPARE(s.form.CheckValue(), 0);
        QCOMPARE(visibleSet(), daily);
        QCOMPARE(s.Get<QLineEdit>("Text2")->text(), QStringLiteral("7"));
        QCOMPARE(s.Get<QLineEdit>("Text5")->text(), QStringLiteral("0,9"));
        QCOMPARE(s.steps.closed, 0);
    }

    void selectAllOnFocus_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("how");
        for (const char* field : {"Text1", "Text2", "Text3", "Text4", "Text7", "Text8"})
            for (const char* how : {"tab", "backtab", "click"})
                QTest::addRow("%s by %s", field, how) << QString::fromLatin1(field) << QString::fromLatin1(how);
    }

    void selectAllOnFocus() {
        QFETCH(QString, field);
        QFETCH(QString, how);
        Started s;
        QVERIFY(s.ShowActive());
        if (field == QStringLiteral("Text8")) QTest::mouseClick(s.Get("Check1"), Qt::LeftButton);
        auto* edit = s.Get<QLineEdit>(field.toLatin1().constData());
        const QString text = edit->text();
        edit->setCursorPosition(1);
        if (how == QStringLiteral("click")) {
            s.Get("Combo1")->setFocus();
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(3, edit->height() / 2));
        } else {
            // Put the focus on the neighbour and step into the field.
            const bool forward = how == QStringLiteral("tab");
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, forward ? Qt::ShiftModifier : Qt::NoModifier);
        }
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), text);
        QTest::keyClicks(edit, QStringLiteral("500"));
        QCOMPARE(edit->text(), QStringLiteral("500"));
        // Later clicks in a focused field place the caret as usual.
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
        QVERIFY(!edit->hasSelectedText());
    }

    void enterAndEscapePressNothing() {
        Started s;
        QVERIFY(s.ShowActive());
        s.Get<QComboBox>("Combo1")->setCurrentIndex(0);
        for (const char* name : {"Text7", "Combo1", "Text1", "Text4", "Command1", "Check1"}) {
            QWidget* w = s.Get(name);
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
            QTest::keyClick(w, Qt::Key_Enter);
            QTest::keyClick(w, Qt::Key_Escape);
        }
        QCOMPARE(s.steps.closed, 0);
        QCOMPARE(s.Get<QLineEdit>("Text5")->text(), QStringLiteral("Не рассчитано"));
        // Space on the focused button does press it.
        s.Get("Command1")->setFocus();
        QTest::keyClick(s.Get("Command1"), Qt::Key_Space);
        QCOMPARE(s.steps.closed, 1);
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
        QVERIFY(s.ShowActive());
        auto* combo = s.Get<QComboBox>("Combo1");
        combo->setCurrentIndex(combo->findText(QStringLiteral("УОНИ 13/45")));
        QTest::mouseClick(s.Get("Command1"), Qt::LeftButton);
        QVERIFY(s.feedback.messages.isEmpty());
        QVERIFY(s.feedback.errors.isEmpty());
        QCOMPARE(s.Get<QLineEdit>("Text5")->text(), daily);
        QCOMPARE(s.Get<QLineEdit>("Text6")->text(), QStringLiteral("4500"));
        QCOMPARE(s.steps.written, 1);
        QCOMPARE(s.steps.display.shown, 1);
    }

    void emptyBrand() {
        Started s;
        QVERIFY(s.ShowActive());
        QTest::mouseClick(s.Get("Command1"), Qt::LeftButton);
        QCOMPARE(s.feedback.messages, QStringList{QStringLiteral("Марка электрода не выбрана !!!")});
        QCOMPARE(s.steps.written, 1);
        QCOMPARE(s.steps.display.shown, 0);
        QCOMPARE(s.Get<QLineEdit>("Text5")->text(), QStringLiteral("Ошибка в исх. данных"));
        QCOMPARE(s.Get<QLineEdit>("Text6")->text(), QStringLiteral("Ошибка в исх. данных"));
    }

    void fatalErrorEndsRunOnly() {
        Started s;
        QVERIFY(s.ShowActive());
        QTest::mouseClick(s.Get("Check1"), Qt::LeftButton);
        s.Get<QLineEdit>("Text8")->clear();
        QTest::mouseClick(s.Get("Command1"), Qt::LeftButton);
        QCOMPARE(s.feedback.errors, QList<int>{korvel::FatalError::kTypeMismatch});
        QVERIFY(s.feedback.messages.isEmpty());
        QCOMPARE(s.steps.written, 0);
        QVERIFY(s.form.isVisible());
    }

    void errorBoxText() {
        const QString text = korvel::ErrorBoxText(korvel::FatalError(korvel::FatalError::kDivisionByZero));
        QVERIFY(text.contains(QStringLiteral("11")));
        QVERIFY(text.contains(QString::fromStdString(std::string(korvel::DescriptionOf(11)))));
    }

    void centring_data() {
        QTest::addColumn<float>("screenW");
        QTest::addColumn<float>("screenH");
        QTest::addColumn<float>("windowW");
        QTest::addColumn<float>("windowH");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<QPoint>("pixels");
        QTest::newRow("800x600") << 12000.f << 9000.f << 8325.f << 4800.f << 1837.5f << 2100.f << QPoint(123, 140);
        QTest::newRow("larger than screen")
            << 12000.f << 9000.f << 12315.f << 9000.f << -157.5f << 0.f << QPoint(-11, 0);
        // Single precision: the odd twip survives as a half.
        QTest::newRow("1366x768") << 20490.f << 11520.f << 8325.f << 4801.f << 6082.5f << 3359.5f << QPoint(406, 224);
    }

    void centring() {
        QFETCH(float, screenW);
        QFETCH(float, screenH);
        QFETCH(float, windowW);
        QFETCH(float, windowH);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(QPoint, pixels);
        const korvel::TwipPosition pos = korvel::CentredPosition(screenW, screenH, windowW, windowH);
        QCOMPARE(pos.left, left);
        QCOMPARE(pos.top, top);
        QCOMPARE(QPoint(korvel::TwipsToPixels(pos.left), korvel::TwipsToPixels(pos.top)), pixels);
    }

    void loadStepCentres() {
        korvel::Form1 form(',');
        form.LoadStep();
        const QRect screen = form.screen()->geometry();
        const QSize outer = form.frameGeometry().size();
        QCOMPARE(form.frameGeometry().topLeft(),
                 screen.topLeft() + QPoint(int(std::lround((screen.width() - outer.width()) / 2.0)),
                                           int(std::lround((screen.height() - outer.height()) / 2.0))));
        QCOMPARE(form.size(), QSize(549, 293));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
