// SPDX-License-Identifier: GPL-3.0-or-later
// The styled tree of a web page as a Qt rich-text document, built in one
// pass: every run with its font, every table with its frame.
#pragma once

#include <QTextDocument>
#include <QTextFormat>

#include "htmlview/styled_tree.h"

namespace korvel {

// Replaces the content of `document` with `styled`, in one edit: the
// document is laid out once, when it is next shown.
void BuildDocument(QTextDocument& document, const htmlview::StyledDocument& styled);

// A table framed alone is framed by the outer edges of its cells. For a
// writer that knows no cell's own border (Qt's OpenDocument writer), its
// formats as they would be with the frame a border of the table's own.
bool FramedByCells(const QTextTableFormat& format);
QTextTableFormat WithOwnFrame(QTextTableFormat format);
QTextTableCellFormat WithoutEdges(QTextTableCellFormat format);

}  // namespace korvel
