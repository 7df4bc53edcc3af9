// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/form2.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include "platform/report_export.h"

namespace korvel {

namespace {

constexpr QSize kClientSize{632, 453};
constexpr QRect kBrowserGeometry{0, 8, 633, 441};

}  // namespace

Form2::Form2(char separator, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      WebBrowser1(new WebBrowser(this)),
      separator_(separator) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kForm2Caption));
    setFixedSize(kClientSize);
    WebBrowser1->setObjectName("WebBrowser1");
    WebBrowser1->setGeometry(kBrowserGeometry);
    WebBrowser1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(WebBrowser1, &QWidget::customContextMenuRequested, this, &Form2::ShowContextMenu);
}

void Form2::CentreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    // Before the first show the frame is not known yet: centre the client area.
    const QSize outer = frameGeometry().size().expandedTo(size());
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void Form2::ShowReport(const std::filesystem::path& reportPath, const CalcResults& results) {
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
    menu.addAction(tr("Сохранить как PDF…"), this, &Form2::SavePdf);
    menu.addSeparator();
    menu.addAction(tr("Экспорт для текстового редактора (ODT)…"), this, &Form2::ExportOdt);
    QAction* totals = menu.addAction(tr("Экспорт итогов для электронной таблицы (CSV)…"), this, &Form2::ExportTotals);
    totals->setEnabled(results_.has_value());
    menu.addSeparator();
    QAction* browser = menu.addAction(tr("Открыть в браузере по умолчанию"), this, &Form2::OpenInBrowser);
    browser->setEnabled(!WebBrowser1->CurrentFile().empty());
    menu.exec(WebBrowser1->viewport()->mapToGlobal(pos));
}

void Form2::Print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) WebBrowser1->document()->print(&printer);
}

void Form2::PrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { WebBrowser1->document()->print(target); });
    dialog.exec();
}

QString Form2::AskSavePath(const QString& title, const QString& suffix, const QString& filter) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(QStringLiteral("korvel.") + suffix);
    QFileDialog dialog(this, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void Form2::ReportFailure(const QString& path) {
    QMessageBox::warning(this, QStringLiteral("korvel"),
                         tr("Не удалось записать файл:\n%1").arg(QDir::toNativeSeparators(path)));
}

void Form2::SavePdf() {
    const QString path = AskSavePath(tr("Сохранить как PDF"), QStringLiteral("pdf"), tr("Документ PDF (*.pdf)"));
    if (!path.isEmpty() && !SaveReportPdf(*WebBrowser1->document(), path)) ReportFailure(path);
}

void Form2::ExportOdt() {
    const QString path =
        AskSavePath(tr("Экспорт для текстового редактора"), QStringLiteral("odt"), tr("Текст OpenDocument (*.odt)"));
    if (!path.isEmpty() && !SaveReportOdt(*WebBrowser1->document(), path)) ReportFailure(path);
}

void Form2::ExportTotals() {
    if (!results_) return;
    const QString path =
        AskSavePath(tr("Экспорт итогов для электронной таблицы"), QStringLiteral("csv"), tr("Таблица CSV (*.csv)"));
    if (!path.isEmpty() && !SaveTotalsCsv(*results_, separator_, path)) ReportFailure(path);
}

void Form2::OpenInBrowser() {
    const QString file = QString::fromStdString(WebBrowser1->CurrentFile().string());
    if (WebBrowser1->openLink) WebBrowser1->openLink(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

}  // namespace korvel
