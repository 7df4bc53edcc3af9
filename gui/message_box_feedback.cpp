// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/message_box_feedback.h"

#include <QMessageBox>

namespace korvel {

namespace {

void ShowBox(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, QStringLiteral("korvel"), text, QMessageBox::Ok, parent);
    // No other window takes input while a run waits on its box.
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void MessageBoxFeedback::ShowMessage(std::string_view message) {
    ShowBox(parent_, QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())), QMessageBox::NoIcon);
}

void MessageBoxFeedback::ShowError(const FatalError& error) {
    // A file's path in «» starts a line of its own, rather than be wrapped
    // at its first slash.
    QString text = QString::fromStdString(ErrorText(error));
    text.replace(QStringLiteral(" «"), QStringLiteral("\n«"));
    ShowBox(parent_, text, QMessageBox::Critical);
}

}  // namespace korvel
