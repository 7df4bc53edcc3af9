// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_file.h"

#include <cerrno>
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

namespace {

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

int CodeOf(int error) {
    switch (error) {
        case ENOSPC:
        case EFBIG:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return kDiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return kPermissionDenied;
        case ENOENT:
        case ENOTDIR:
            return kPathNotFound;
        default:
            return kFileAccessError;
    }
}

std::string_view MeaningOf(int code) {
    switch (code) {
        case kDiskFull:
            return "Диск заполнен";
        case kPermissionDenied:
            return "Доступ запрещен";
        case kPathNotFound:
            return "Путь не найден";
        default:
            return "Ошибка доступа к файлу";
    }
}

[[noreturn]] void Fail(int error, std::string_view action, const std::filesystem::path& path) {
    const int code = CodeOf(error);
    std::string description(MeaningOf(code));
    description += ": не удалось ";
    description += action;
    description += " файл отчета «";
    description += Utf8(path);
    description += "»";
    throw FatalError(code, std::move(description));
}

}  // namespace

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
    if (isLink && linkError) Fail(linkError.value(), "заменить", path);

    try {
        AtomicFile file(target);
        file.Write(bytes);
        file.Commit();
    } catch (const AtomicFile::Error& error) {
        static constexpr const char* kActions[] = {"создать", "записать", "заменить"};
        Fail(error.code().value(), kActions[static_cast<int>(error.FailedStep())], path);
    }
}

void WriteReport(const CalcInputs& inputs, const CalcResults& results, char separator,
                 const std::filesystem::path& path) {
    ReplaceFile(path, BuildReport(inputs, results, separator));
}

}  // namespace korvel
