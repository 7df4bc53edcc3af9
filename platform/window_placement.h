// SPDX-License-Identifier: GPL-3.0-or-later
// Window geometry in twips (15 to a pixel at 96 dots per inch) and centring a
// window on the screen, shared by both windows.
#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace korvel {

inline constexpr int kTwipsPerPixel = 15;

struct TwipPosition {
    float left;
    float top;
};

// (screen - window) / 2 on each axis, held in a float without rounding; the
// window size is its outer size. A window larger than the screen gets a
// negative position.
TwipPosition CentredPosition(float screenWidth, float screenHeight, float windowWidth, float windowHeight);

// Twips to whole logical pixels, half a pixel away from zero.
int TwipsToPixels(float twips);

// The frame an X11 window manager announces, in device pixels, in the
// logical pixels windows are placed in, rounded side by side as the toolkit
// converts it (so that the frame it reports later is the same).
QMargins LogicalFrame(const QMargins& device, qreal devicePixelRatio);

// The client rectangle of a window of `client` size and `frame`, in logical
// pixels, whose outer rectangle stands in the middle of `screen`.
QRect CentredClientRect(const QRect& screen, QSize client, const QMargins& frame);

// Asks the window manager for the frame the top-level `window` is going to
// get, where it tells it (X11): call as soon as the window has its size, and
// the answer comes while its contents are built, instead of being awaited
// when it is centred. Makes the native window.
void AskFrame(QWidget& window);

// Moves a top-level window, right before it is first shown, so that its outer
// rectangle (frame and title bar included) stands in the middle of the whole
// screen. The frame is asked of the window manager beforehand where it tells
// it (X11); should the frame the window manager reports once the window is
// shown differ, the window is moved once more, by the frame it got.
void CentreOnScreen(QWidget& window);

}  // namespace korvel
