// SPDX-License-Identifier: GPL-3.0-or-later
// The report as a document of plain tables, for Qt's OpenDocument writer.
#pragma once

#include <QTextDocument>
#include <memory>

namespace korvel {

// A copy of `source` with no table inside another. The report lays out its
// page as one table whose cells hold its paragraphs and its two tables; Qt's
// OpenDocument writer declares the columns of that outer table only, and word
// processors then drop most of the report. A table that holds other tables
// therefore only lays out the page: its cells become plain paragraphs, in
// order, with the cell's background, and the tables inside them tables of
// their own. Text, character and paragraph formats and lists are kept.
std::unique_ptr<QTextDocument> FlatDocument(const QTextDocument& source);

}  // namespace korvel
