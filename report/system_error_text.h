// SPDX-License-Identifier: GPL-3.0-or-later
// The system's reason for a failed file operation, in Russian, as every
// front end names it.
#pragma once

#include <string>

namespace korvel {

// What a system error number (errno) means, in Russian, for the errors a
// file can meet; "системная ошибка N" for the others.
std::string SystemErrorText(int error);

}  // namespace korvel
