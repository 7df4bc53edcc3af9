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
#include <QTextDocument>
#include <map>

#include "htmlview/styled_tree.h"
#include "gui/styled_document.h"

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
    document()->setUndoRedoEnabled(false);
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
    // Qt's own reading of the markup differs from a browser's: the document
    // is built from the markup as a browser resolves and styles it, with
    // each table's frame and each raised run as they are drawn. The scroll
    // bar stays while the report is replaced: clearing the old one would
    // hide it, and Qt would lay the new one out twice, at the page's width
    // and again at the narrower width once the bar is back.
    const Qt::ScrollBarPolicy policy = verticalScrollBarPolicy();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BuildDocument(*document(), htmlview::StyleHtml(DecodeWindows1251(shownBytes_).toStdString(), FamilyDrawnFor));
    setVerticalScrollBarPolicy(policy);
    verticalScrollBar()->setValue(0);
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
