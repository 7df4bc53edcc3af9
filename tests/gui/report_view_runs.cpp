// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the text runs of a report as the report window's view shows it, one
// JSON array a run: text, font family drawn, weight, italic, size relative to
// the medium size, and whether a framed table holds it. report_view_test.mjs
// sets them beside Chromium's.
#include <QApplication>
#include <QFontInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <cstdio>

#include "gui/web_browser.h"

namespace {

// A table draws a frame with a border of its own, or with the outer edges of
// its cells.
bool Framed(QTextDocument& document, int position) {
    QTextCursor cursor(&document);
    cursor.setPosition(position);
    const QTextTable* table = cursor.currentTable();
    if (table == nullptr) return false;
    const QTextTableFormat format = table->format();
    const QTextTableCellFormat corner = table->cellAt(0, 0).format().toTableCellFormat();
    return (format.border() > 0 && format.borderStyle() != QTextFrameFormat::BorderStyle_None) ||
           (corner.leftBorder() > 0 && corner.leftBorderStyle() != QTextFrameFormat::BorderStyle_None);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: report_view_runs REPORT\n", stderr);
        return 2;
    }
    korvel::WebBrowser view;
    view.Navigate(argv[1]);
    QTextDocument& document = *view.document();
    constexpr double kMediumPoints = 12;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QFontInfo drawn(format.font());
            const QJsonArray run{fragment.text(),
                                 drawn.family(),
                                 format.fontWeight(),
                                 format.fontItalic(),
                                 drawn.pointSizeF() / kMediumPoints,
                                 Framed(document, fragment.position())};
            std::puts(QJsonDocument(run).toJson(QJsonDocument::Compact).constData());
        }
    }
    return 0;
}
