// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML view of the report window on Qt's rich-text browser: no browser
// engine, no scripts, and nothing fetched from outside the local disk.
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <functional>

#include "platform/html_view.h"

namespace korvel {

// Windows-1251 bytes to text.
QString DecodeWindows1251(const QByteArray& bytes);

class WebBrowser : public QTextBrowser, public HtmlView {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);

    void Navigate(const std::filesystem::path& file) override;

    // The file last navigated to (empty before the first navigation).
    const std::filesystem::path& CurrentFile() const { return currentFile_; }

    // Where a clicked web or mail link goes; the desktop's handler by default.
    // The view itself never follows a link, and other schemes go nowhere.
    std::function<void(const QUrl&)> openLink;

    // Resources the document asked for that were refused as not local.
    int RefusedResources() const { return refused_; }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void FollowLink(const QUrl& link);

    std::filesystem::path currentFile_;
    QUrl base_;
    int refused_ = 0;
};

}  // namespace korvel
