// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace korvel {

// The decimal separator of the user's regional settings (LC_NUMERIC, as the
// C++ locale named by the environment reports it); a full stop when that
// locale is unknown to the system or its separator is not a single byte.
char SystemDecimalSeparator();

}  // namespace korvel
