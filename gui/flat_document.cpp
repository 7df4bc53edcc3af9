// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/flat_document.h"

#include <QTextCursor>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <map>

#include "gui/styled_document.h"

namespace korvel {

namespace {

// A format copied into another document must not point at the source's lists
// and frames.
template <typename Format>
Format Detached(Format format) {
    format.clearProperty(QTextFormat::ObjectIndex);
    return format;
}

// Visits each cell of a table once, spanned cells included, row by row.
template <typename Visit>
void ForEachCell(const QTextTable& table, Visit visit) {
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() == row && cell.column() == column) visit(cell);
        }
    }
}

bool HoldsTables(const QTextTable& table) {
    bool holds = false;
    ForEachCell(table, [&holds](const QTextTableCell& cell) {
        for (auto it = cell.begin(); !it.atEnd(); ++it) holds = holds || it.currentFrame() != nullptr;
    });
    return holds;
}

class FlatCopy {
public:
    explicit FlatCopy(QTextDocument& target) : end_(&target) {}

    // Appends the blocks and tables of a frame or cell, in order.
    void Content(QTextFrame::iterator it, const QBrush& background) {
        for (; !it.atEnd(); ++it) {
            if (const auto* table = qobject_cast<const QTextTable*>(it.currentFrame())) {
                if (HoldsTables(*table))
                    ForEachCell(*table, [&](const QTextTableCell& cell) {
                        Content(cell.begin(), CellBackground(cell, background));
                    });
                else
                    Table(*table);
            } else if (const QTextFrame* frame = it.currentFrame()) {
                Content(frame->begin(), background);
            } else {
                end_.movePosition(QTextCursor::End);
                AppendBlock(end_, freshEnd_, it.currentBlock(), background);
                freshEnd_ = false;
            }
        }
    }

private:
    static QBrush CellBackground(const QTextTableCell& cell, const QBrush& outer) {
        const QTextCharFormat format = cell.format();
        return format.hasProperty(QTextFormat::BackgroundBrush) ? format.background() : outer;
    }

    // Into the empty paragraph the cursor stands in when `fresh`, else as a
    // new paragraph after it.
    void AppendBlock(QTextCursor& cursor, bool fresh, const QTextBlock& block, const QBrush& background) {
        QTextBlockFormat format = Detached(block.blockFormat());
        if (background.style() != Qt::NoBrush && !format.hasProperty(QTextFormat::BackgroundBrush))
            format.setBackground(background);
        if (fresh) {
            cursor.setBlockFormat(format);
            cursor.setBlockCharFormat(Detached(block.charFormat()));
        } else {
            cursor.insertBlock(format, Detached(block.charFormat()));
        }
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().isValid()) cursor.insertText(it.fragment().text(), Detached(it.fragment().charFormat()));
        if (QTextList* list = block.textList()) {
            const auto copy = lists_.find(list);
            if (copy == lists_.end())
                lists_.emplace(list, cursor.createList(Detached(list->format())));
            else
                copy->second->add(cursor.block());
        }
    }

    // A table of paragraphs only, copied cell by cell.
    void Table(const QTextTable& source) {
        end_.movePosition(QTextCursor::End);
        const bool framed = FramedByCells(source.format());
        const QTextTableFormat tableFormat = Detached(source.format());
        QTextTable* table =
            end_.insertTable(source.rows(), source.columns(), framed ? WithOwnFrame(tableFormat) : tableFormat);
        ForEachCell(source, [&](const QTextTableCell& cell) {
            if (cell.rowSpan() > 1 || cell.columnSpan() > 1)
                table->mergeCells(cell.row(), cell.column(), cell.rowSpan(), cell.columnSpan());
            QTextCursor at = table->cellAt(cell.row(), cell.column()).firstCursorPosition();
            bool fresh = true;
            for (auto it = cell.begin(); !it.atEnd(); ++it) {
                AppendBlock(at, fresh, it.currentBlock(), QBrush());
                fresh = false;
            }
            // Set after the paragraphs: in a cell, the first one's character
            // format is the cell's own.
            const QTextTableCellFormat format = Detached(cell.format()).toTableCellFormat();
            table->cellAt(cell.row(), cell.column()).setFormat(framed ? WithoutEdges(format) : format);
        });
        end_.movePosition(QTextCursor::End);
        freshEnd_ = true;  // the empty paragraph after the table
    }

    QTextCursor end_;
    bool freshEnd_ = true;  // a new document starts with one empty paragraph
    std::map<const QTextList*, QTextList*> lists_;
};

}  // namespace

std::unique_ptr<QTextDocument> FlatDocument(const QTextDocument& source) {
    auto target = std::make_unique<QTextDocument>();
    target->setDefaultFont(source.defaultFont());
    target->setMetaInformation(QTextDocument::DocumentTitle, source.metaInformation(QTextDocument::DocumentTitle));
    FlatCopy(*target).Content(source.rootFrame()->begin(), QBrush());
    return target;
}

}  // namespace korvel
