// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/centring.h"

#include <cmath>

namespace korvel {

TwipPosition CentredPosition(float screenWidth, float screenHeight, float windowWidth, float windowHeight) {
    const float left = (screenWidth - windowWidth) / 2.0f;
    const float top = (screenHeight - windowHeight) / 2.0f;
    return {left, top};
}

int TwipsToPixels(float twips) { return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel))); }

}  // namespace korvel
