// SPDX-License-Identifier: GPL-3.0-or-later
// Centring a window on the screen, in twips with single-precision arithmetic.
#pragma once

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

}  // namespace korvel
