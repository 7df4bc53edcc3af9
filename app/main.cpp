// Starts korvel: the input window, centred, with the brand list filled.
#include <QApplication>
#include <QIcon>

#include "app/form1.h"
#include "platform/message_box_feedback.h"
#include "platform/regional_separator.h"
#include "report/closing_step.h"
#include "report/report_file.h"
#include "report/report_steps.h"

namespace {

// Stands in for the report window until it exists: a clean run shows nothing.
class NoReportDisplay : public korvel::ReportDisplay {
public:
    void ShowReport(const std::filesystem::path&, const korvel::CalcInputs&, const korvel::CalcResults&) override {}
};

}  // namespace

int main(int argc, char* argv[]) {
    // No command-line options are read, Qt's own included: only the program name is passed on.
    int appArgc = argc > 0 ? 1 : 0;
    QApplication app(appArgc, argv);
    QApplication::setApplicationName(QStringLiteral("korvel"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.7"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/korvel-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/korvel-32.png"), QSize(32, 32));
    QApplication::setWindowIcon(icon);

    const char separator = korvel::RegionalDecimalSeparator();
    korvel::Form1 form(separator);
    korvel::MessageBoxFeedback feedback(&form);
    NoReportDisplay display;
    korvel::ReportSteps steps(form, display, korvel::ReportPath(), separator);
    form.AttachRun(feedback, steps);
    form.LoadStep();
    form.show();
    return QApplication::exec();
}
