// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/report_path.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

namespace korvel {

std::filesystem::path ReportPath() {
#ifdef _WIN32
    return std::filesystem::path(L"c:\\korvel.htm");
#else
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return std::filesystem::path(home) / "korvel.htm";
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && *found->pw_dir != '\0') {
        return std::filesystem::path(found->pw_dir) / "korvel.htm";
    }
    return std::filesystem::path("korvel.htm");
#endif
}

}  // namespace korvel
