// SPDX-License-Identifier: GPL-3.0-or-later
// The report window: a fixed-size window holding nothing but the HTML view of
// the report, whose context menu prints, saves and exports it.
#pragma once

#include <QWidget>
#include <optional>

#include "calc/run.h"
#include "platform/web_browser.h"

namespace korvel {

inline constexpr const char* kForm2Caption = "Отчет (рассчет выбросов загрязняющих веществ от дуговой электросварки)";

class Form2 : public QWidget {
    Q_OBJECT
public:
    // separator: the regional decimal separator the totals are exported with.
    explicit Form2(char separator, QWidget* parent = nullptr);

    // Moves the window so that it stands in the middle of its screen.
    void CentreOnScreen();

    // Shows the report file; `results` are those it was written from and feed
    // the totals export.
    void ShowReport(const std::filesystem::path& reportPath, const CalcResults& results);

    WebBrowser* const WebBrowser1;

private:
    void ShowContextMenu(const QPoint& pos);
    void Print();
    void PrintPreview();
    void SavePdf();
    void ExportOdt();
    void ExportTotals();
    void OpenInBrowser();
    QString AskSavePath(const QString& title, const QString& suffix, const QString& filter);
    void ReportFailure(const QString& path);

    char separator_;
    std::optional<CalcResults> results_;
};

}  // namespace korvel
