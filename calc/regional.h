// SPDX-License-Identifier: GPL-3.0-or-later
// The one rule for the regional decimal separator, shared by every front end
// that runs on the user's own system. The front end reads the environment.
#pragma once

#include <functional>
#include <string>

namespace korvel {

// The locale that names the numeric category, as POSIX resolves it: LC_ALL,
// else LC_NUMERIC, else LANG, the first that is set and not empty; "C" when
// none is. `variable` looks an environment variable up (null when unset).
std::string NumericLocaleName(const std::function<const char*(const char*)>& variable);

// The decimal separator of the named locale: a full stop for "C", when the
// system does not have that locale (it is not generated), or when its
// separator is not a single byte.
char DecimalSeparatorOf(const std::string& localeName);

}  // namespace korvel
