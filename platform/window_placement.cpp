// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <optional>

#include "platform/x11_frame.h"

namespace korvel {

TwipPosition CentredPosition(float screenWidth, float screenHeight, float windowWidth, float windowHeight) {
    const float left = (screenWidth - windowWidth) / 2.0f;
    const float top = (screenHeight - windowHeight) / 2.0f;
    return {left, top};
}

int TwipsToPixels(float twips) { return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel))); }

namespace {

// Set on a window whose frame the window manager was asked for.
constexpr const char* kFrameAsked = "korvelFrameAsked";

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

// The frame the window is going to get, where it can be known before the
// window is shown: the X11 window manager tells it on request (in device
// pixels); elsewhere the platform knows it once the native window exists.
std::optional<QMargins> ExpectedFrame(QWidget& window) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (!window.property(kFrameAsked).toBool()) AskFrame(window);
        if (!window.property(kFrameAsked).toBool()) return std::nullopt;
        const std::optional<QMargins> device = AwaitFrameExtents(window.winId());
        if (!device || !window.windowHandle()) return std::nullopt;
        return LogicalFrame(*device, window.windowHandle()->devicePixelRatio());
    }
    window.winId();
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

// Centres the window again, once, if the frame the window manager reports
// within a second is not the one the window was placed for. Polled: the
// frame's arrival need not bring the window any event, and the toolkit learns
// of it only through its event loop. Held by the application, not by the
// window, whose children are its widgets.
class FrameCorrection : public QObject {
public:
    explicit FrameCorrection(QWidget& window) : QObject(QCoreApplication::instance()), window_(&window) {
        connect(&timer_, &QTimer::timeout, this, &FrameCorrection::Check);
        timer_.start(kIntervalMs);
    }

private:
    static constexpr int kIntervalMs = 20;
    static constexpr int kChecks = 50;

    void Check() {
        const bool framed = window_ && window_->isVisible() && window_->frameGeometry() != window_->geometry();
        if (framed) {
            const QRect outer = window_->frameGeometry();
            const QPoint target = CentredTopLeft(ScreenArea(*window_), outer.size());
            if (outer.topLeft() != target) window_->move(target);
        }
        if (framed || !window_ || ++checks_ >= kChecks) {
            timer_.stop();
            deleteLater();
        }
    }

    QPointer<QWidget> window_;
    QTimer timer_;
    int checks_ = 0;
};

}  // namespace

void AskFrame(QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !CanRequestFrameExtents()) return;
    AskFrameExtents(window.winId());
    window.setProperty(kFrameAsked, true);
}

QMargins LogicalFrame(const QMargins& device, qreal devicePixelRatio) {
    const auto side = [devicePixelRatio](int pixels) { return qRound(pixels / devicePixelRatio); };
    return {side(device.left()), side(device.top()), side(device.right()), side(device.bottom())};
}

QRect CentredClientRect(const QRect& screen, QSize client, const QMargins& frame) {
    const QPoint outer = CentredTopLeft(screen, client.grownBy(frame));
    return {outer + QPoint(frame.left(), frame.top()), client};
}

void CentreOnScreen(QWidget& window) {
    const QRect screen = ScreenArea(window);
    if (const std::optional<QMargins> frame = ExpectedFrame(window)) {
        // Placed by its client area: the toolkit need not know the frame yet.
        window.setGeometry(CentredClientRect(screen, window.size(), *frame));
    } else {
        // Placed by its outer corner, centred by its inner size for now.
        window.move(CentredTopLeft(screen, window.size()));
    }
    new FrameCorrection(window);
}

}  // namespace korvel
