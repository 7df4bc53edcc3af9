// SPDX-License-Identifier: GPL-3.0-or-later
// The one rule for the regional decimal separator, shared by every front end
// that runs on the user's own system.
#pragma once

namespace korvel {

// The decimal separator of the locale that names the numeric category in the
// environment, as POSIX resolves it: LC_ALL, else LC_NUMERIC, else LANG. A
// full stop when none is set, when the system does not have that locale (it
// is not generated), or when its separator is not a single byte.
char SystemDecimalSeparator();

}  // namespace korvel
