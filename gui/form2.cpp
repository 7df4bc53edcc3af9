// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/form2.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QUrl>

#include "gui/report_export.h"
#include "platform/session_folder.h"
#include "platform/window_placement.h"
#include "report/file_names.h"

namespace korvel {

namespace {

constexpr QSize kClientSize{632, 453};
constexpr QRect kBrowserGeometry{0, 8, 633, 441};
// What the suggested file name says a saved or exported report is.
QString ReportKind() { return QStringLiteral("отчет"); }
QString TotalsKind() { return QStringLiteral("итоги"); }

}  // namespace

Form2::Form2(char separator, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      WebBrowser1(new WebBrowser(this)),
      separator_(separator) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kForm2Caption));
    setFixedSize(kClientSize);
    AskFrame(*this);  // answered while the view is set up
    WebBrowser1->setObjectName("WebBrowser1");
    WebBrowser1->setGeometry(kBrowserGeometry);
    WebBrowser1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(WebBrowser1, &QWidget::customContextMenuRequested, this, &Form2::ShowContextMenu);
    // The keys of the view (the menu key, Shift+F10, scrolling) work as soon
    // as the window is active.
    setFocusProxy(WebBrowser1);
    WebBrowser1->setFocus();
}

void Form2::ShowReport(const std::filesystem::path& reportPath, const CalcInputs& inputs, const CalcResults& results) {
    inputs_ = inputs;
    results_ = results;
    WebBrowser1->Navigate(reportPath);
}

void Form2::ShowContextMenu(const QPoint& pos) {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("Копировать"), WebBrowser1, &QTextEdit::copy);
    copy->setEnabled(WebBrowser1->textCursor().hasSelection());
    menu.addAction(tr("Выделить все"), WebBrowser1, &QTextEdit::selectAll);
    menu.addSeparator();
    menu.addAction(tr("Печать…"), this, &Form2::Print);
    menu.addAction(tr("Предварительный просмотр…"), this, &Form2::PrintPreview);
    const bool shown = !WebBrowser1->ShownBytes().isEmpty();
    menu.addAction(tr("Сохранить отчет как…"), this, &Form2::SaveHtml)->setEnabled(shown);
    menu.addAction(tr("Сохранить как PDF…"), this, &Form2::SavePdf);
    menu.addSeparator();
    menu.addAction(tr("Экспорт для текстового редактора (ODT)…"), this, &Form2::ExportOdt);
    QAction* totals = menu.addAction(tr("Экспорт итогов для электронной таблицы (CSV)…"), this, &Form2::ExportTotals);
    totals->setEnabled(results_.has_value());
    menu.addAction(tr("Итоги в Excel (XLSX)…"), this, &Form2::ExportTotalsXlsx)->setEnabled(results_.has_value());
    menu.addSeparator();
    QAction* browser = menu.addAction(tr("Открыть в браузере по умолчанию"), this, &Form2::OpenInBrowser);
    browser->setEnabled(shown);
    menu.exec(WebBrowser1->viewport()->mapToGlobal(pos));
}

void Form2::Print() {
    KeepToolkitSettingsForThisRun();  // the print dialog's "…" opens Qt's file dialog
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(SuggestedName(ReportKind()));
    QPrintDialog dialog(&printer, this);
    // "Print to file" proposes what "Save as PDF" does, not print.pdf in the
    // home folder (the dialog's own field; left alone should it be renamed).
    if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
        file->setText(SuggestedPath(ReportKind(), QStringLiteral("pdf")));
    if (dialog.exec() == QDialog::Accepted) WebBrowser1->document()->print(&printer);
}

void Form2::PrintPreview() {
    KeepToolkitSettingsForThisRun();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(SuggestedName(ReportKind()));
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { WebBrowser1->document()->print(target); });
    dialog.exec();
}

QString Form2::SuggestedName(const QString& kind) const {
    const QString stem = QString::fromStdString(SafeFileStem(inputs_.sourceName));
    return stem.isEmpty() ? kind : stem + QLatin1Char('-') + kind;
}

QString Form2::SuggestedPath(const QString& kind, const QString& suffix) const {
    // The Documents folder, or the home folder where there is none: never the
    // folder the program happened to be started in.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists()) folder = QDir::homePath();
    return QDir(folder).filePath(SuggestedName(kind) + QLatin1Char('.') + suffix);
}

QString Form2::AskSavePath(const QString& title, const QString& kind, const QString& suffix, const QString& filter) {
    KeepToolkitSettingsForThisRun();
    QFileDialog dialog(this, title, SuggestedPath(kind, suffix), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void Form2::ReportFailure(const QString& path) {
    QMessageBox::warning(this, QStringLiteral("korvel"),
                         tr("Не удалось записать файл:\n%1").arg(QDir::toNativeSeparators(path)));
}

void Form2::SaveHtml() {
    const QString path =
        AskSavePath(tr("Сохранить отчет как"), ReportKind(), QStringLiteral("htm"), tr("Документ HTML (*.htm *.html)"));
    if (!path.isEmpty() && !SaveReportHtml(WebBrowser1->ShownBytes(), path)) ReportFailure(path);
}

void Form2::SavePdf() {
    const QString path =
        AskSavePath(tr("Сохранить как PDF"), ReportKind(), QStringLiteral("pdf"), tr("Документ PDF (*.pdf)"));
    if (!path.isEmpty() && !SaveReportPdf(*WebBrowser1->document(), path)) ReportFailure(path);
}

void Form2::ExportOdt() {
    const QString path = AskSavePath(tr("Экспорт для текстового редактора"), ReportKind(), QStringLiteral("odt"),
                                     tr("Текст OpenDocument (*.odt)"));
    if (!path.isEmpty() && !SaveReportOdt(*WebBrowser1->document(), path)) ReportFailure(path);
}

void Form2::ExportTotals() {
    if (!results_) return;
    const QString path = AskSavePath(tr("Экспорт итогов для электронной таблицы"), TotalsKind(), QStringLiteral("csv"),
                                     tr("Таблица CSV (*.csv)"));
    if (!path.isEmpty() && !SaveTotalsCsv(inputs_, *results_, separator_, path)) ReportFailure(path);
}

void Form2::ExportTotalsXlsx() {
    if (!results_) return;
    const QString path =
        AskSavePath(tr("Итоги в Excel"), TotalsKind(), QStringLiteral("xlsx"), tr("Книга Excel (*.xlsx)"));
    if (!path.isEmpty() && !SaveTotalsXlsx(inputs_, *results_, path)) ReportFailure(path);
}

void Form2::OpenInBrowser() {
    // A copy of what the window shows: the report file may hold a later run's
    // report by now, and it declares no code page.
    const QString copy = WriteBrowserCopy(WebBrowser1->ShownBytes(), SessionFolder());
    if (copy.isEmpty()) {
        ReportFailure(QDir(SessionFolder()).filePath(QStringLiteral("korvel-*.htm")));
        return;
    }
    if (!WebBrowser1->openLink || !WebBrowser1->openLink(QUrl::fromLocalFile(copy)))
        QMessageBox::warning(this, QStringLiteral("korvel"),
                             tr("Не удалось открыть отчет в браузере: не найдена программа для просмотра "
                                "веб-страниц."));
}

}  // namespace korvel
