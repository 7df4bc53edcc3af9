// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_file.h"

#include <cstdlib>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

#include "report/atomic_file.h"
#include "report/report_document.h"

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

void ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
    // A report that is a symbolic link keeps being one: its target is replaced.
    std::error_code linkError;  // a missing report is no link and no error
    const bool isLink = std::filesystem::is_symlink(std::filesystem::symlink_status(path, linkError));
    const std::filesystem::path target = isLink ? std::filesystem::weakly_canonical(path, linkError) : path;
    constexpr std::string_view kWhat = "файл отчета";
    if (isLink && linkError) throw FileError(linkError.value(), "заменить", kWhat, path);

    AtomicFile file(target, std::string(kWhat));
    file.Write(bytes);
    file.Commit();
}

std::optional<FatalError> WriteReport(const CalcInputs& inputs, const CalcResults& results, char separator,
                                      const std::filesystem::path& path) {
    try {
        ReplaceFile(path, BuildReport(inputs, results, separator));
        return std::nullopt;
    } catch (const FatalError& error) {
        return error;
    }
}

}  // namespace korvel
