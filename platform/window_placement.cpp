// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cmath>

#include "platform/x11_frame.h"

namespace korvel {

TwipPosition CentredPosition(float screenWidth, float screenHeight, float windowWidth, float windowHeight) {
    const float left = (screenWidth - windowWidth) / 2.0f;
    const float top = (screenHeight - windowHeight) / 2.0f;
    return {left, top};
}

int TwipsToPixels(float twips) { return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel))); }

namespace {

QRect ScreenArea(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

// The top left corner of an outer rectangle of `outer` pixels centred on
// `screen`, worked out in twips.
QPoint CentredTopLeft(const QRect& screen, QSize outer) {
    const auto twips = [](int pixels) { return static_cast<float>(pixels * kTwipsPerPixel); };
    const TwipPosition pos =
        CentredPosition(twips(screen.width()), twips(screen.height()), twips(outer.width()), twips(outer.height()));
    return screen.topLeft() + QPoint(TwipsToPixels(pos.left), TwipsToPixels(pos.top));
}

// The frame the window is going to get: the X11 window manager tells it on
// request; elsewhere the platform knows it once the native window exists.
QMargins ExpectedFrame(QWidget& window) {
    window.winId();
    if (const std::optional<QMargins> frame = RequestFrameExtents(window.winId())) return *frame;
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

// Centres the window again, once, if the frame it got is not the one it was
// placed for: at the first move that shows a frame, or at its first paint when
// the window manager gives it none.
class FrameCorrection : public QObject {
public:
    explicit FrameCorrection(QWidget& window) : QObject(&window), window_(window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QRect outer = window_.frameGeometry();
        const bool framed = outer != window_.geometry();
        if (event->type() != QEvent::Paint && !(event->type() == QEvent::Move && framed)) return false;
        const QPoint target = CentredTopLeft(ScreenArea(window_), outer.size());
        if (outer.topLeft() != target) window_.move(target);
        window_.removeEventFilter(this);
        deleteLater();
        return false;
    }

private:
    QWidget& window_;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
    const QSize outer = window.size().grownBy(ExpectedFrame(window));
    window.move(CentredTopLeft(ScreenArea(window), outer));
    if (!window.isVisible()) new FrameCorrection(window);
}

}  // namespace korvel
