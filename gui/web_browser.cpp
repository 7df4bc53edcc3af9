// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/web_browser.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <map>
#include <utility>
#include <vector>

#include "platform/browser_markup.h"

namespace korvel {

QString DecodeWindows1251(const QByteArray& bytes) {
    // Qt resolves the code page through ICU, which Debian's Qt is built with.
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

namespace {

bool IsLocal(const QUrl& url) { return url.isLocalFile() && url.host().isEmpty(); }

// The installed family a browser draws `family` in: the family itself, a
// metric-compatible stand-in (the same widths, which browsers take for the
// font itself), the system's monospace font for the generic name; empty
// when there is none. Worked out once a family: font look-ups are slow.
std::string FamilyDrawnFor(std::string_view family) {
    static const std::map<QString, QString> standIns{
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
    };
    static std::map<std::string, std::string, std::less<>> known;
    if (const auto it = known.find(family); it != known.end()) return it->second;
    const QString name = QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
    QString drawn;
    if (name.compare(QLatin1String("monospace"), Qt::CaseInsensitive) == 0) {
        drawn = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    } else if (QFontDatabase::hasFamily(name)) {
        drawn = name;
    } else if (const auto standIn = standIns.find(name.toLower());
               standIn != standIns.end() && QFontDatabase::hasFamily(standIn->second)) {
        drawn = standIn->second;
    }
    return known.emplace(std::string(family), drawn.toStdString()).first->second;
}

// A table framed by frame="border" has a thin solid line round it and none
// between its cells; a border attribute draws both. The markup marks the
// first kind solid: its cells' edges on the outside make the frame.
void FrameTables(QTextFrame& frame) {
    for (QTextFrame* child : frame.childFrames()) {
        auto* table = qobject_cast<QTextTable*>(child);
        if (table != nullptr && table->format().border() > 0 &&
            table->format().borderStyle() == QTextFrameFormat::BorderStyle_Solid) {
            const qreal width = table->format().border();
            QTextTableFormat format = table->format();
            format.setBorderCollapse(true);
            table->setFormat(format);
            for (int row = 0; row < table->rows(); ++row) {
                for (int column = 0; column < table->columns(); ++column) {
                    QTextTableCell cell = table->cellAt(row, column);
                    if (cell.row() != row || cell.column() != column) continue;  // spanned
                    QTextTableCellFormat edges = cell.format().toTableCellFormat();
                    edges.setTopBorder(row == 0 ? width : 0);
                    edges.setLeftBorder(column == 0 ? width : 0);
                    edges.setBottomBorder(row + cell.rowSpan() == table->rows() ? width : 0);
                    edges.setRightBorder(column + cell.columnSpan() == table->columns() ? width : 0);
                    edges.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                    edges.setBorderBrush(format.borderBrush());
                    cell.setFormat(edges);
                }
            }
        }
        FrameTables(*child);
    }
}

// Qt draws raised and lowered text smaller again; the markup gave it its
// size already, so it is only moved off the baseline.
void ShiftWithoutShrinking(QTextDocument& document) {
    std::vector<std::pair<QTextFragment, qreal>> shifted;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat::VerticalAlignment align = it.fragment().charFormat().verticalAlignment();
            if (align == QTextCharFormat::AlignSuperScript) shifted.emplace_back(it.fragment(), 33);
            if (align == QTextCharFormat::AlignSubScript) shifted.emplace_back(it.fragment(), -20);
        }
    }
    for (const auto& [fragment, offset] : shifted) {
        QTextCursor cursor(&document);
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setVerticalAlignment(QTextCharFormat::AlignNormal);
        format.setBaselineOffset(offset);
        cursor.mergeCharFormat(format);
    }
}

QString NoticeHtml(const QString& file) {
    return QStringLiteral("<p>Не удалось открыть файл отчета:<br>%1</p>").arg(file.toHtmlEscaped());
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    // A web browser's default font at its medium size (12 pt, 16 px at 96
    // dpi), for what the markup's text runs do not set themselves (bullets).
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(12);
    document()->setDefaultFont(font);
    openLink = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    connect(this, &QTextBrowser::anchorClicked, this, &WebBrowser::FollowLink);
}

void WebBrowser::Navigate(const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.string());
    const QFileInfo info(name);
    base_ = QUrl::fromLocalFile(info.absolutePath() + QLatin1Char('/'));
    document()->setBaseUrl(base_);
    QFile in(name);
    shownBytes_ = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    if (in.error() != QFileDevice::NoError) {
        shownBytes_.clear();
        setHtml(NoticeHtml(name));
        return;
    }
    // Qt's own reading of the markup differs from a browser's: it gets the
    // markup as a browser resolves it, every run with its font.
    setHtml(QString::fromStdString(BrowserRichText(DecodeWindows1251(shownBytes_).toStdString(), FamilyDrawnFor)));
    // One edit: the document is laid out once, not after every change.
    QTextCursor edit(document());
    edit.beginEditBlock();
    FrameTables(*document()->rootFrame());
    ShiftWithoutShrinking(*document());
    edit.endEditBlock();
}

QVariant WebBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = base_.resolved(name);
    if (!IsLocal(url)) {
        ++refused_;
        return {};
    }
    QFile in(url.toLocalFile());
    if (!in.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = in.readAll();
    switch (type) {
        case QTextDocument::ImageResource:
            return QImage::fromData(bytes);
        case QTextDocument::HtmlResource:
        case QTextDocument::StyleSheetResource:
            return DecodeWindows1251(bytes);
        default:
            return bytes;
    }
}

void WebBrowser::keyPressEvent(QKeyEvent* event) {
    // Shift+F10 opens the context menu as the menu key does (Qt knows only
    // the latter), in the middle of the view.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier &&
        contextMenuPolicy() == Qt::CustomContextMenu) {
        emit customContextMenuRequested(viewport()->rect().center());
        event->accept();
        return;
    }
    if (event == QKeySequence::MoveToStartOfDocument || event == QKeySequence::MoveToEndOfDocument) {
        verticalScrollBar()->triggerAction(event == QKeySequence::MoveToStartOfDocument
                                               ? QAbstractSlider::SliderToMinimum
                                               : QAbstractSlider::SliderToMaximum);
        event->accept();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

void WebBrowser::FollowLink(const QUrl& link) {
    // The report's own links are its footer's web site and mail address; a
    // link typed into the source name must not reach a local program or file.
    const QUrl url = base_.resolved(link);
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("mailto"))
        return;
    if (openLink) openLink(url);
}

}  // namespace korvel
