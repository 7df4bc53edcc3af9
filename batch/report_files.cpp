// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/report_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

#include <cerrno>
#include <string>

#include "report/report_file.h"

namespace korvel::batch {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

ReportFiles::ReportFiles(const std::filesystem::path& folder, unsigned worker)
    : sparePath_(folder / (".korvel-batch-" + std::to_string(::getpid()) + "-" + std::to_string(worker) + ".tmp")) {}

ReportFiles::~ReportFiles() { DropSpare(); }

void ReportFiles::DropSpare() noexcept {
    if (haveSpare_) ::unlink(sparePath_.c_str());
    haveSpare_ = false;
}

void ReportFiles::Replace(const std::filesystem::path& path, std::string_view bytes) {
    if (!TryExchange(path, bytes)) ReplaceFile(path, bytes);
}

bool ReportFiles::TryExchange(const std::filesystem::path& path, std::string_view bytes) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    // Only a regular file is traded; anything else (a folder, a link) is
    // left to ReplaceFile.
    struct stat target {};
    const bool targetExists = ::lstat(path.c_str(), &target) == 0;
    if (targetExists && !S_ISREG(target.st_mode)) return false;
    if (!targetExists && errno != ENOENT) return false;

    // A spare that is no longer a plain file of ours is given up.
    const int flags = O_WRONLY | O_CLOEXEC | O_NOFOLLOW | (haveSpare_ ? O_TRUNC : O_CREAT | O_EXCL);
    const int fd = ::open(sparePath_.c_str(), flags, 0666);
    if (fd < 0) {
        DropSpare();
        return false;
    }
    haveSpare_ = true;
    struct stat spare {};
    const bool written = ::fstat(fd, &spare) == 0 && S_ISREG(spare.st_mode) && WriteAll(fd, bytes);
    if (::close(fd) != 0 || !written) {
        DropSpare();
        return false;
    }

    if (targetExists) {
        if (::renameat2(AT_FDCWD, sparePath_.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) return true;
    } else if (::rename(sparePath_.c_str(), path.c_str()) == 0) {
        haveSpare_ = false;
        return true;
    }
    DropSpare();
    return false;
#else
    (void)path;
    (void)bytes;
    return false;
#endif
}

}  // namespace korvel::batch
