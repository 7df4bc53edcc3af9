// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace korvel {

// The decimal separator of the system locale as Qt reports it: ',' under
// ru_RU, '.' under en_US; '.' when the locale's separator is not one byte.
char RegionalDecimalSeparator();

}  // namespace korvel
