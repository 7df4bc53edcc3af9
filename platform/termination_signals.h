// SPDX-License-Identifier: GPL-3.0-or-later
// The end of the program on SIGTERM, SIGINT and SIGHUP (a logout, kill,
// Ctrl+C, a closed terminal), as on closing its last window.
#pragma once

class QCoreApplication;

namespace korvel {

// From now on those signals make `app`'s event loops return, so that the
// program ends the ordinary way and removes what it kept for the run only
// (its temporary folder). Call once, after `app` is made.
void QuitOnTerminationSignals(QCoreApplication& app);

}  // namespace korvel
