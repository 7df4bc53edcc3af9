// SPDX-License-Identifier: GPL-3.0-or-later
// The frame an X11 window manager is going to put round a window, asked for
// before the window is mapped, so that it can be placed by its outer size
// from the start.
#pragma once

#include <QMargins>
#include <QWindow>
#include <optional>

namespace korvel {

// Whether the program runs on X11 under a window manager that answers such
// requests.
bool CanRequestFrameExtents();

// Asks the window manager for the frame of the native window `window`, not
// yet shown. The answer comes while the program goes on.
void AskFrameExtents(WId window);

// Left, top, right and bottom frame widths in device pixels of `window`, as
// the window manager answered AskFrameExtents; nothing when it does not
// answer within a fifth of a second, or cannot be asked.
std::optional<QMargins> AwaitFrameExtents(WId window);

}  // namespace korvel
