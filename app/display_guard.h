// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up without a display. Qt ends a program it cannot connect to a display
// with advice to reinstall it and an abort; while a DisplayGuard lives, that
// fatal error ends korvel with one Russian line on stderr and exit code 1
// instead. Qt's other messages of that moment are held back, so that a failed
// start shows that one line, and passed on when the guard is released.
#pragma once

namespace korvel {

class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    // Call once the application object exists.
    void Release();
};

}  // namespace korvel
