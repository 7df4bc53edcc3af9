// SPDX-License-Identifier: GPL-3.0-or-later
// The frame an X11 window manager is going to put round a window, asked for
// before the window is mapped, so that it can be placed by its outer size
// from the start.
#pragma once

#include <QMargins>
#include <QWindow>
#include <optional>

namespace korvel {

// Left, top, right and bottom frame widths in pixels; nothing when the
// program does not run on X11, the window manager does not answer such
// requests, or it does not answer within a fifth of a second.
std::optional<QMargins> RequestFrameExtents(WId window);

}  // namespace korvel
