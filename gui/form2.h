// SPDX-License-Identifier: GPL-3.0-or-later
// The report window: a fixed-size window holding nothing but the HTML view of
// the report, whose context menu prints, saves and exports it.
#pragma once

#include <QWidget>
#include <optional>

#include "calc/run.h"
#include "gui/web_browser.h"

namespace korvel {

inline constexpr const char* kForm2Caption = "Отчет (рассчет выбросов загрязняющих веществ от дуговой электросварки)";

class Form2 : public QWidget {
    Q_OBJECT
public:
    // separator: the regional decimal separator the totals are exported with.
    explicit Form2(char separator, QWidget* parent = nullptr);

    // Shows the report file as it is now. `inputs` and `results` are those it
    // was written from: the source name names the exported files, the results
    // feed the totals export.
    void ShowReport(const std::filesystem::path& reportPath, const CalcInputs& inputs, const CalcResults& results);

    // Opens a copy of the report on show, marked with its code page, in the
    // desktop's web browser; says so in a message box when nothing opens it.
    void OpenInBrowser();

    WebBrowser* const WebBrowser1;

private:
    void ShowContextMenu(const QPoint& pos);
    void Print();
    void PrintPreview();
    void SaveHtml();
    void SavePdf();
    void ExportOdt();
    void ExportTotals();
    void ExportTotalsXlsx();
    // The name proposed for a file of the report: the source name and
    // `kind` ("отчет", "итоги"); with `suffix`, in the Documents folder.
    QString SuggestedName(const QString& kind) const;
    QString SuggestedPath(const QString& kind, const QString& suffix) const;
    // The file name the user chose, or empty. `kind` and `suffix` make the
    // suggested name together with the source name.
    QString AskSavePath(const QString& title, const QString& kind, const QString& suffix, const QString& filter);
    void ReportFailure(const QString& path);

    char separator_;
    CalcInputs inputs_;  // of the shown report: its source name and brand
    std::optional<CalcResults> results_;
};

}  // namespace korvel
