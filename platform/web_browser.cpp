// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/web_browser.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocument>

namespace korvel {

QString DecodeWindows1251(const QByteArray& bytes) {
    // Qt resolves the code page through ICU, which Debian's Qt is built with.
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

namespace {

bool IsLocal(const QUrl& url) { return url.isLocalFile() && url.host().isEmpty(); }

// A "<" that starts no tag, end tag, comment or declaration is text to a web
// browser ("Цех <1>"); Qt's parser would take it for an unknown tag and drop
// it. As "&lt;" it shows the same everywhere, inside attribute values too.
QString KeepStrayLessThan(QString html) {
    static const QRegularExpression stray(QStringLiteral("<(?![A-Za-z/!?])"));
    return html.replace(stray, QStringLiteral("&lt;"));
}

QString NoticeHtml(const QString& file) {
    return QStringLiteral("<p>Не удалось открыть файл отчета:<br>%1</p>").arg(file.toHtmlEscaped());
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    // A web browser's medium text size (12 pt, 16 px at 96 dpi); the report's
    // tables ask for the smallest size, which is relative to it.
    QFont font = document()->defaultFont();
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
    setHtml(KeepStrayLessThan(DecodeWindows1251(shownBytes_)));
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
