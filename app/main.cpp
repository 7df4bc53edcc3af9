// SPDX-License-Identifier: GPL-3.0-or-later
// Starts korvel: the input window, centred, with the brand list filled. The
// report window appears with the first clean run.
#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <iostream>

#include "app/command_line.h"
#include "app/display_guard.h"
#include "app/program.h"
#include "app/report_path.h"
#include "gui/form1.h"
#include "korvel/version.h"
#include "platform/qt_translations.h"
#include "platform/termination_signals.h"

int main(int argc, char* argv[]) {
    if (const std::optional<int> done = korvel::AnswerCommandLine(argc, argv, std::cout, std::cerr)) return *done;
    // No command-line options are read, Qt's own included: only the program name is passed on.
    int appArgc = argc > 0 ? 1 : 0;
    korvel::DisplayGuard displayGuard;
    QApplication app(appArgc, argv);
    displayGuard.Release();
    korvel::QuitOnTerminationSignals(app);
    korvel::LoadQtTranslations(app);
    // The input window's font for every window and box: one font file is
    // loaded, not the desktop's as well.
    QApplication::setFont(korvel::Form1::DialogFont(QApplication::font()));
    QApplication::setApplicationName(QStringLiteral("korvel"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));
    // Read as PNG, no format guessed: guessing loads every image plugin.
    QIcon icon;
    for (const char* file : {":/icons/korvel-16.png", ":/icons/korvel-32.png"}) {
        QImageReader png(QString::fromLatin1(file), "png");
        png.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(png.read()));
    }
    QApplication::setWindowIcon(icon);

    korvel::Program program(korvel::ReportPath());
    program.Start();
    return QApplication::exec();
}
