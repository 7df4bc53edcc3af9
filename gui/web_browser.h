// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML view of the report window on Qt's rich-text browser: no browser
// engine, no scripts, and nothing fetched from outside the local disk.
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <filesystem>
#include <functional>

namespace korvel {

// Windows-1251 bytes to text.
QString DecodeWindows1251(const QByteArray& bytes);

class WebBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);

    // Shows the local file at `file`, read as Windows-1251 (the report declares
    // no character set). Relative resources resolve against the file's folder.
    // A file that cannot be read leaves a short notice in the view instead.
    void Navigate(const std::filesystem::path& file);

    // The bytes of the report on show, as read when it was navigated to (the
    // file may have been rewritten since); empty when it could not be read.
    const QByteArray& ShownBytes() const { return shownBytes_; }

    // Where a clicked web or mail link, or a file to open in the web browser,
    // goes: the desktop's handler by default. False when nothing could open it.
    // The view itself never follows a link, and other schemes go nowhere.
    std::function<bool(const QUrl&)> openLink;

    // Resources the document asked for that were refused as not local.
    int RefusedResources() const { return refused_; }

    QVariant loadResource(int type, const QUrl& name) override;

protected:
    // Ctrl+Home and Ctrl+End scroll to the top and the end, as in a browser;
    // the view has no caret that they could move. Shift+F10 asks for the
    // context menu.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FollowLink(const QUrl& link);

    QByteArray shownBytes_;
    QUrl base_;
    int refused_ = 0;
};

}  // namespace korvel
