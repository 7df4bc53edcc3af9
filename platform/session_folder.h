// SPDX-License-Identifier: GPL-3.0-or-later
// What the program must keep only while it runs: a private folder, removed
// when the program ends, and the toolkit's own remembered settings.
#pragma once

#include <QString>

namespace korvel {

// A folder that only the user can enter (mode 0700), made on first use and
// removed with everything in it when the program ends; empty when it could
// not be made.
QString SessionFolder();

// Sends what Qt's dialogs remember (the file dialog's last folder, history
// and view) to SessionFolder(), so that none of it is read from an earlier
// start or kept for a later one. Call before the first dialog; later calls do
// nothing.
void KeepToolkitSettingsForThisRun();

}  // namespace korvel
