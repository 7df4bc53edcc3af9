// SPDX-License-Identifier: GPL-3.0-or-later
// Time from a click on Command1 to the report painted in the report window,
// and from constructing the input window to its first paint, next to a bare
// Qt window holding the same widgets, in one process (startup_bench starts
// whole programs). Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <ctime>
#include <memory>
#include <vector>

#include "app/program.h"
#include "calc/run.h"
#include "gui/web_browser.h"
#include "support/form_controls.h"

namespace {

class SilentFeedback : public korvel::RunFeedback {
public:
    void ShowMessage(std::string_view) override {}
    void ShowError(const korvel::FatalError&) override {}
};

// Paints the window now. A window just shown is painted only once the
// platform has exposed it, which takes a turn of the event loop.
void Paint(QWidget& window) {
    window.repaint();
    QCoreApplication::processEvents();
}

struct Program : korvel::Program {
    explicit Program(const QString& reportPath) : korvel::Program(reportPath.toStdString(), ',') {
        form.AttachRun(feedback, reportWindow);
        Start();
        korvel::testing::SetControl(form, "Combo1", QStringLiteral("УОНИ 13/45"));
        command1 = form.findChild<QPushButton*>("Command1");
    }
    SilentFeedback feedback;
    QPushButton* command1 = nullptr;
};

void BM_Command1ToReportPainted_WindowOpen(benchmark::State& state) {
    QTemporaryDir dir;
    Program program(dir.filePath("korvel.htm"));
    program.command1->click();
    for (auto _ : state) {
        program.command1->click();
        Paint(*program.reportWindow.Window());
    }
}
BENCHMARK(BM_Command1ToReportPainted_WindowOpen)->Unit(benchmark::kMillisecond);

void BM_Command1ToReportPainted_NewWindow(benchmark::State& state) {
    QTemporaryDir dir;
    Program program(dir.filePath("korvel.htm"));
    for (auto _ : state) {
        program.command1->click();
        Paint(*program.reportWindow.Window());
        state.PauseTiming();
        program.reportWindow.Window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Command1ToReportPainted_NewWindow)->Unit(benchmark::kMillisecond);

// The report window's share of a click: read, decode, lay out and paint the
// report that the run has written.
void BM_ReportLoadedAndPainted(benchmark::State& state) {
    QTemporaryDir dir;
    const QString reportPath = dir.filePath("korvel.htm");
    Program program(reportPath);
    program.command1->click();
    korvel::Form2* window = program.reportWindow.Window();
    for (auto _ : state) {
        window->WebBrowser1->Navigate(reportPath.toStdString());
        Paint(*window);
    }
}
BENCHMARK(BM_ReportLoadedAndPainted)->Unit(benchmark::kMillisecond);

// A bare QTextBrowser in a window of the report window's size, showing the
// report file as Qt reads HTML: what the report window is measured against.
class BareReportDisplay : public korvel::ReportDisplay {
public:
    BareReportDisplay(QSize size, QRect viewGeometry) : size_(size), viewGeometry_(viewGeometry) {}

    void ShowReport(const std::filesystem::path& reportPath, const korvel::CalcInputs&,
                    const korvel::CalcResults&) override {
        if (!window) {
            window = std::make_unique<QWidget>();
            window->setFixedSize(size_);
            view_ = new QTextBrowser(window.get());
            view_->setGeometry(viewGeometry_);
            window->show();
        }
        QFile in(QString::fromStdString(reportPath.string()));
        if (in.open(QIODevice::ReadOnly)) view_->setHtml(korvel::DecodeWindows1251(in.readAll()));
    }

    std::unique_ptr<QWidget> window;

private:
    QSize size_;
    QRect viewGeometry_;
    QTextBrowser* view_ = nullptr;
};

struct BareProgram {
    BareProgram(const QString& reportPath, const korvel::Form2& model)
        : form(',', reportPath.toStdString()), display(model.size(), model.WebBrowser1->geometry()) {
        form.AttachRun(feedback, display);
        form.LoadStep();
        form.show();
        korvel::testing::SetControl(form, "Combo1", QStringLiteral("УОНИ 13/45"));
        command1 = form.findChild<QPushButton*>("Command1");
    }
    korvel::Form1 form;
    SilentFeedback feedback;
    BareReportDisplay display;
    QPushButton* command1 = nullptr;
};

double ThreadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// The time steps take: by the clock, and in this thread's processor time,
// which a busy machine disturbs far less.
struct Spent {
    double wallNs = 0, cpuNs = 0;

    template <typename Step>
    void Add(Step step) {
        QElapsedTimer timer;
        const double cpu = ThreadCpuNs();
        timer.start();
        step();
        wallNs += static_cast<double>(timer.nsecsElapsed());
        cpuNs += ThreadCpuNs() - cpu;
    }
};

// A click to the report painted, in the report window and in the bare view,
// alternately in one run, each window new (range 0) or left open (1). The
// counters give each one's mean in milliseconds and their ratio, by the
// clock and in processor time.
void BM_Command1ToReportPainted_VsBareView(benchmark::State& state) {
    const bool keepOpen = state.range(0) != 0;
    QTemporaryDir dir;
    Program program(dir.filePath("korvel.htm"));
    program.command1->click();
    BareProgram bare(dir.filePath("bare.htm"), *program.reportWindow.Window());
    bare.command1->click();
    Spent view, bareView;
    for (auto _ : state) {
        if (!keepOpen) {
            program.reportWindow.Window()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            bare.display.window.reset();
        }
        view.Add([&] {
            program.command1->click();
            Paint(*program.reportWindow.Window());
        });
        bareView.Add([&] {
            bare.command1->click();
            Paint(*bare.display.window);
        });
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["view_ms"] = view.wallNs / runs / 1e6;
    state.counters["bare_ms"] = bareView.wallNs / runs / 1e6;
    state.counters["ratio"] = view.wallNs / bareView.wallNs;
    state.counters["view_cpu_ms"] = view.cpuNs / runs / 1e6;
    state.counters["bare_cpu_ms"] = bareView.cpuNs / runs / 1e6;
    state.counters["cpu_ratio"] = view.cpuNs / bareView.cpuNs;
}
BENCHMARK(BM_Command1ToReportPainted_VsBareView)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The widgets of the input window as plain Qt classes: same kind, geometry,
// texts and visibility, none of Form1's own behaviour.
struct WidgetCopy {
    enum Kind { Frame, Label, Field, Combo, Check, Button } kind;
    QRect geometry;
    QString text;
    bool hidden;
    int frameShape = 0;
    Qt::Alignment alignment;
    QStringList items;
};

std::vector<WidgetCopy> CopyWidgets(const QWidget& window) {
    std::vector<WidgetCopy> copies;
    for (const QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        WidgetCopy c{WidgetCopy::Frame, w->geometry(), {}, w->isHidden(), 0, {}, {}};
        if (auto* label = qobject_cast<const QLabel*>(w)) {
            c = {WidgetCopy::Label,
                 w->geometry(),
                 label->text(),
                 w->isHidden(),
                 label->frameShape(),
                 label->alignment(),
                 {}};
        } else if (auto* field = qobject_cast<const QLineEdit*>(w)) {
            c = {WidgetCopy::Field, w->geometry(), field->text(), w->isHidden(), 0, field->alignment(), {}};
        } else if (auto* combo = qobject_cast<const QComboBox*>(w)) {
            c.kind = WidgetCopy::Combo;
            for (int i = 0; i < combo->count(); ++i) c.items << combo->itemText(i);
        } else if (auto* check = qobject_cast<const QCheckBox*>(w)) {
            c = {WidgetCopy::Check, w->geometry(), check->text(), w->isHidden(), 0, {}, {}};
        } else if (auto* button = qobject_cast<const QPushButton*>(w)) {
            c = {WidgetCopy::Button, w->geometry(), button->text(), w->isHidden(), 0, {}, {}};
        }
        copies.push_back(c);
    }
    return copies;
}

std::unique_ptr<QWidget> BareWindow(const std::vector<WidgetCopy>& copies, const QString& title, QSize size,
                                    const QFont& font) {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(title);
    window->setFixedSize(size);
    window->setFont(font);
    for (const auto& c : copies) {
        QWidget* w = nullptr;
        switch (c.kind) {
            case WidgetCopy::Frame: {
                auto* frame = new QFrame(window.get());
                frame->setFrameShape(QFrame::Box);
                w = frame;
                break;
            }
            case WidgetCopy::Label: {
                auto* label = new QLabel(c.text, window.get());
                label->setFrameShape(static_cast<QFrame::Shape>(c.frameShape));
                label->setAlignment(c.alignment);
                label->setWordWrap(true);
                w = label;
                break;
            }
            case WidgetCopy::Field: {
                auto* field = new QLineEdit(c.text, window.get());
                field->setAlignment(c.alignment);
                w = field;
                break;
            }
            case WidgetCopy::Combo: {
                auto* combo = new QComboBox(window.get());
                combo->addItems(c.items);
                combo->setCurrentIndex(-1);
                w = combo;
                break;
            }
            case WidgetCopy::Check:
                w = new QCheckBox(c.text, window.get());
                break;
            case WidgetCopy::Button:
                w = new QPushButton(c.text, window.get());
                break;
        }
        w->setGeometry(c.geometry);
        w->setHidden(c.hidden);
    }
    return window;
}

void BM_StartToForm1Painted(benchmark::State& state) {
    for (auto _ : state) {
        auto form = std::make_unique<korvel::Form1>(',', "korvel.htm");
        form->LoadStep();
        form->show();
        Paint(*form);
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToForm1Painted)->Unit(benchmark::kMillisecond);

void BM_StartToBareWindowPainted(benchmark::State& state) {
    korvel::Form1 model(',', "korvel.htm");
    model.LoadStep();
    const std::vector<WidgetCopy> copies = CopyWidgets(model);
    for (auto _ : state) {
        auto window = BareWindow(copies, model.windowTitle(), model.size(), model.font());
        window->move(model.pos());
        window->show();
        Paint(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToBareWindowPainted)->Unit(benchmark::kMillisecond);

// The part of Form1's start that a bare window does not do: choosing a font
// in which every caption fits its fixed box.
void BM_Form1DialogFont(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(korvel::Form1::DialogFont(QApplication::font()));
}
BENCHMARK(BM_Form1DialogFont)->Unit(benchmark::kMillisecond);

// The offscreen platform warns on every raise(); nothing else is dropped.
QtMessageHandler defaultHandler = nullptr;

void QuietRaise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support raise()"))) return;
    if (defaultHandler) defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(QuietRaise);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
