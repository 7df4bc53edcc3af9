// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/styled_document.h"

#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <vector>

namespace korvel {

namespace {

using htmlview::Align;
using htmlview::Node;
using Kind = Node::Kind;

Qt::Alignment AlignmentOf(Align align) {
    switch (align) {
        case Align::Right:
            return Qt::AlignRight | Qt::AlignAbsolute;
        case Align::Center:
            return Qt::AlignHCenter;
        case Align::Justify:
            return Qt::AlignJustify;
        default:
            return Qt::AlignLeft | Qt::AlignAbsolute;
    }
}

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QTextCharFormat RunFormat(const htmlview::RunStyle& run) {
    QTextCharFormat format;
    format.setFontFamilies({Utf8(run.family)});
    format.setFontPointSize(run.points);
    format.setFontWeight(run.weight);
    format.setFontItalic(run.italic);
    format.setFontUnderline(run.underline);
    format.setFontStrikeOut(run.strike);
    if (!run.colour.empty()) format.setForeground(QColor(Utf8(run.colour)));
    // Qt would draw raised and lowered text smaller again; the run has its
    // size already, so it is only moved off the baseline.
    if (run.shift != 0) format.setBaselineOffset(run.shift > 0 ? 33 : -20);
    if (!run.href.empty()) {
        format.setAnchor(true);
        format.setAnchorHref(Utf8(run.href));
    }
    return format;
}

QTextListFormat::Style MarkerStyle(const Node& list, int depth) {
    const std::string& m = list.marker;
    if (m == "1") return QTextListFormat::ListDecimal;
    if (m == "a") return QTextListFormat::ListLowerAlpha;
    if (m == "A") return QTextListFormat::ListUpperAlpha;
    if (m == "i") return QTextListFormat::ListLowerRoman;
    if (m == "I") return QTextListFormat::ListUpperRoman;
    if (m == "disc") return QTextListFormat::ListDisc;
    if (m == "circle") return QTextListFormat::ListCircle;
    if (m == "square") return QTextListFormat::ListSquare;
    if (list.ordered) return QTextListFormat::ListDecimal;
    // Browsers mark nested lists with a disc, a circle, then squares.
    return depth == 0 ? QTextListFormat::ListDisc : depth == 1 ? QTextListFormat::ListCircle
                                                               : QTextListFormat::ListSquare;
}

// A table framed alone has a one-pixel solid line round it and none between
// its cells. Its edge cells draw the line, where Qt's collapsed border would
// draw it, without that border's cost: it looks at every cell's neighbours,
// many times a layout. The table's margins make the room outside the line
// that the collapsed border takes.
constexpr int kFrameWidth = 1;
constexpr int kFrameOutside = 1;  // on the top and left; one more on the bottom and right
constexpr int kFramedByCells = QTextFormat::UserProperty;

void FrameByCells(QTextTableFormat& format) {
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setLeftMargin(kFrameOutside);
    format.setTopMargin(kFrameOutside);
    format.setRightMargin(kFrameOutside + kFrameWidth);
    format.setBottomMargin(kFrameOutside + kFrameWidth);
    format.setProperty(kFramedByCells, true);
}

// The line on the outer edges of a cell, inside it, and beside it half a
// pixel of padding more on the top and left and half a pixel less on the
// bottom and right: where a collapsed border puts line and text.
void FrameEdges(QTextTableCellFormat& format, bool top, bool left, bool bottom, bool right, double padding) {
    using F = QTextTableCellFormat;
    const auto edge = [&](bool outer, void (F::*width)(qreal), void (F::*style)(QTextFrameFormat::BorderStyle),
                          void (F::*pad)(qreal), double beside) {
        if (!outer) return;
        (format.*width)(kFrameWidth);
        (format.*style)(QTextFrameFormat::BorderStyle_Solid);  // black, as no brush is set
        (format.*pad)(padding + beside);
    };
    edge(top, &F::setTopBorder, &F::setTopBorderStyle, &F::setTopPadding, 0.5);
    edge(left, &F::setLeftBorder, &F::setLeftBorderStyle, &F::setLeftPadding, 0.5);
    edge(bottom, &F::setBottomBorder, &F::setBottomBorderStyle, &F::setBottomPadding, -0.5);
    edge(right, &F::setRightBorder, &F::setRightBorderStyle, &F::setRightPadding, -0.5);
}

// The rows and columns of a table's grid, with the cells' spans.
struct Grid {
    int rows = 0, columns = 0;
    struct Place {
        int row, column;
    };
    std::vector<Place> places;  // of each cell, row by row
};

Grid GridOf(const Node& table) {
    Grid grid;
    std::vector<std::vector<bool>> taken;
    for (const Node& row : table.children) {
        const int r = grid.rows++;
        int column = 0;
        for (const Node& cell : row.children) {
            if (taken.size() < static_cast<std::size_t>(r + cell.cell.rowSpan)) taken.resize(r + cell.cell.rowSpan);
            auto& line = taken[static_cast<std::size_t>(r)];
            while (static_cast<std::size_t>(column) < line.size() && line[static_cast<std::size_t>(column)]) ++column;
            grid.places.push_back({r, column});
            for (int k = r; k < r + cell.cell.rowSpan; ++k) {
                auto& covered = taken[static_cast<std::size_t>(k)];
                if (covered.size() < static_cast<std::size_t>(column + cell.cell.columnSpan))
                    covered.resize(static_cast<std::size_t>(column + cell.cell.columnSpan));
                std::fill_n(covered.begin() + column, cell.cell.columnSpan, true);
            }
            column += cell.cell.columnSpan;
        }
        grid.columns = std::max(grid.columns, column);
    }
    grid.rows = std::max(grid.rows, static_cast<int>(taken.size()));
    for (const auto& line : taken) grid.columns = std::max(grid.columns, static_cast<int>(line.size()));
    return grid;
}

QTextTableFormat TableFormat(const htmlview::TableBox& box, Align align) {
    QTextTableFormat format;
    format.setBorder(box.border);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Outset);
    format.setCellSpacing(box.cellSpacing);
    format.setCellPadding(box.cellPadding);
    format.setMargin(0);
    if (!box.width.empty()) {
        const QString width = Utf8(box.width);
        format.setWidth(width.endsWith(QLatin1Char('%'))
                            ? QTextLength(QTextLength::PercentageLength, width.chopped(1).toDouble())
                            : QTextLength(QTextLength::FixedLength, width.toDouble()));
    }
    if (align != Align::None) format.setAlignment(AlignmentOf(align));
    if (!box.background.empty()) format.setBackground(QColor(Utf8(box.background)));
    if (box.frameOnly) FrameByCells(format);
    return format;
}

QTextTableCellFormat CellFormat(const Node& cell, Grid::Place place, const Grid& grid,
                                const htmlview::TableBox& table) {
    QTextTableCellFormat format;
    using VAlign = htmlview::CellBox::VAlign;
    const VAlign v = cell.cell.valign;
    format.setVerticalAlignment(v == VAlign::Top      ? QTextCharFormat::AlignTop
                                : v == VAlign::Bottom ? QTextCharFormat::AlignBottom
                                                      : QTextCharFormat::AlignMiddle);
    if (!cell.cell.background.empty()) format.setBackground(QColor(Utf8(cell.cell.background)));
    if (table.frameOnly)
        FrameEdges(format, place.row == 0, place.column == 0, place.row + cell.cell.rowSpan >= grid.rows,
                   place.column + cell.cell.columnSpan >= grid.columns, table.cellPadding);
    return format;
}

}  // namespace

namespace {

// Writes the tree at a cursor. Blocks are made when content reaches them, so
// that an element holding only other blocks makes no empty line; vertical
// margins that meet collapse into the larger.
class Builder {
public:
    explicit Builder(QTextDocument& document) : cursor_(&document) {}

    void Content(const Node& box, Align align) {
        for (const Node& child : box.children) {
            switch (child.kind) {
                case Kind::Text:
                case Kind::Break:
                case Kind::Image:
                    Inline(child, align);
                    break;
                case Kind::Table:
                    Table(child);
                    break;
                case Kind::List:
                    List(child);
                    break;
                case Kind::Rule:
                    Rule();
                    break;
                default:  // blocks and items
                    Block(child, child.align);
            }
        }
    }

private:
    void Inline(const Node& node, Align align) {
        if (!lineOpen_) StartLine(align, node.kind == Kind::Text && node.pre);
        if (node.kind == Kind::Text) {
            QString text = Utf8(node.text);
            if (node.pre) text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            cursor_.insertText(text, RunFormat(node.run));
        } else if (node.kind == Kind::Break) {
            cursor_.insertText(QString(QChar::LineSeparator), QTextCharFormat());
        } else {
            QTextImageFormat image;
            image.setName(Utf8(node.text));
            if (node.width > 0) image.setWidth(node.width);
            if (node.height > 0) image.setHeight(node.height);
            cursor_.insertImage(image);
        }
        lastWasLine_ = true;
    }

    void StartLine(Align align, bool pre) {
        QTextBlockFormat format;
        format.setAlignment(AlignmentOf(align));
        format.setTopMargin(pendingTop_);
        format.setLeftMargin(left_);
        format.setRightMargin(right_);
        format.setNonBreakableLines(pre);
        if (fresh_)
            cursor_.setBlockFormat(format);
        else
            cursor_.insertBlock(format, QTextCharFormat());
        fresh_ = false;
        lineOpen_ = true;
        pendingTop_ = 0;
        if (item_) {  // the first line of a list item carries its marker
            item_ = false;
            if (list_ == nullptr)
                list_ = cursor_.createList(listFormat_);
            else
                list_->add(cursor_.block());
        }
    }

    // A block's margin goes to its first line and its last; one that holds no
    // line passes its margins on to what follows.
    void Block(const Node& block, Align align) {
        lineOpen_ = false;
        item_ = item_ || block.kind == Kind::Item;
        // Whole pixels, as the view draws them.
        pendingTop_ = std::max(pendingTop_, std::round(block.margins.top));
        left_ += block.margins.left;
        right_ += block.margins.right;
        lastWasLine_ = false;
        Content(block, align);
        left_ -= block.margins.left;
        right_ -= block.margins.right;
        lineOpen_ = false;
        if (lastWasLine_ && pendingTop_ == 0) {
            QTextBlockFormat format = cursor_.blockFormat();
            format.setBottomMargin(std::max(format.bottomMargin(), std::round(block.margins.bottom)));
            cursor_.setBlockFormat(format);
        } else {
            pendingTop_ = std::max(pendingTop_, std::round(block.margins.bottom));
        }
        lastWasLine_ = false;
    }

    void List(const Node& list) {
        QTextList* const outer = list_;
        const QTextListFormat outerFormat = listFormat_;
        listFormat_ = QTextListFormat();
        listFormat_.setStyle(MarkerStyle(list, depth_));
        listFormat_.setIndent(++depth_);
        list_ = nullptr;
        Block(list, Align::None);
        --depth_;
        list_ = outer;
        listFormat_ = outerFormat;
    }

    void Rule() {
        QTextBlockFormat format;
        format.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                           QTextLength(QTextLength::PercentageLength, 100));
        if (fresh_)
            cursor_.setBlockFormat(format);
        else
            cursor_.insertBlock(format);
        fresh_ = false;
        lineOpen_ = false;
        lastWasLine_ = false;
    }

    void Table(const Node& node) {
        const Grid grid = GridOf(node);
        if (grid.rows == 0 || grid.columns == 0) return;
        QTextTableFormat format = TableFormat(node.table, node.align);
        format.setTopMargin(format.topMargin() + pendingTop_);
        pendingTop_ = 0;
        QTextTable* table = cursor_.insertTable(grid.rows, grid.columns, format);
        std::size_t index = 0;
        for (const Node& row : node.children)
            for (const Node& cell : row.children) Cell(*table, cell, grid, grid.places[index++], node.table);
        cursor_ = table->lastCursorPosition();
        cursor_.movePosition(QTextCursor::NextBlock);
        fresh_ = true;  // the empty paragraph after the table
        lineOpen_ = false;
        lastWasLine_ = false;
    }

    void Cell(QTextTable& table, const Node& cell, const Grid& grid, Grid::Place place, const htmlview::TableBox& box) {
        if (cell.cell.rowSpan > 1 || cell.cell.columnSpan > 1)
            table.mergeCells(place.row, place.column, cell.cell.rowSpan, cell.cell.columnSpan);
        QTextTableCell at = table.cellAt(place.row, place.column);
        at.setFormat(CellFormat(cell, place, grid, box));
        const Builder outer = *this;
        cursor_ = at.firstCursorPosition();
        fresh_ = true;
        lineOpen_ = false;
        item_ = false;
        list_ = nullptr;
        pendingTop_ = left_ = right_ = 0;
        Content(cell, cell.align);
        *this = outer;
    }

    QTextCursor cursor_;
    bool fresh_ = true;        // the cursor's paragraph is empty and no element's yet
    bool lineOpen_ = false;    // inline content goes into the cursor's paragraph
    bool lastWasLine_ = false;  // the last thing written was a paragraph's content
    bool item_ = false;        // the next paragraph starts a list item
    double pendingTop_ = 0;
    double left_ = 0, right_ = 0;
    QTextList* list_ = nullptr;
    QTextListFormat listFormat_;
    int depth_ = 0;
};

}  // namespace

bool FramedByCells(const QTextTableFormat& format) { return format.boolProperty(kFramedByCells); }

QTextTableFormat WithOwnFrame(QTextTableFormat format) {
    format.clearProperty(kFramedByCells);
    format.setBorder(kFrameWidth);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(Qt::black);
    format.setTopMargin(format.topMargin() - kFrameOutside);
    format.setLeftMargin(0);
    format.setRightMargin(0);
    format.setBottomMargin(0);
    return format;
}

QTextTableCellFormat WithoutEdges(QTextTableCellFormat format) {
    for (const int property :
         {QTextFormat::TableCellTopBorder, QTextFormat::TableCellLeftBorder, QTextFormat::TableCellBottomBorder,
          QTextFormat::TableCellRightBorder, QTextFormat::TableCellTopBorderStyle,
          QTextFormat::TableCellLeftBorderStyle, QTextFormat::TableCellBottomBorderStyle,
          QTextFormat::TableCellRightBorderStyle, QTextFormat::TableCellTopPadding, QTextFormat::TableCellLeftPadding,
          QTextFormat::TableCellBottomPadding, QTextFormat::TableCellRightPadding})
        format.clearProperty(property);
    return format;
}

void BuildDocument(QTextDocument& document, const htmlview::StyledDocument& styled) {
    document.clear();
    document.setMetaInformation(QTextDocument::DocumentTitle, Utf8(styled.title));
    QTextCursor edit(&document);
    edit.beginEditBlock();
    Builder(document).Content(styled.body, Align::None);
    edit.endEditBlock();
}

}  // namespace korvel
