// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#include "report/system_error_text.h"

namespace korvel {

namespace {

// A name beside the target that no other writer uses at the same moment;
// creation is exclusive, so a clash only costs another attempt.
std::filesystem::path TemporaryBeside(const std::filesystem::path& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long tag = ticks * 31 + counter.fetch_add(1) * 7919ULL + attempt;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08llx.tmp", tag & 0xFFFFFFFFULL);
    std::filesystem::path temp = path;
    temp += suffix;
    return temp;
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

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

FatalError FileError(int error, std::string_view action, std::string_view what, const std::filesystem::path& path) {
    std::string description = "Не удалось ";
    description.append(action).append(" ").append(what).append(" «").append(Utf8(path)).append("»: ");
    description += SystemErrorText(error);
    return FatalError(CodeOf(error), std::move(description));
}

AtomicFile::AtomicFile(std::filesystem::path target, std::string what)
    : target_(std::move(target)), what_(std::move(what)) {
    for (unsigned attempt = 0; file_ == nullptr; ++attempt) {
        temporary_ = TemporaryBeside(target_, attempt);
        errno = 0;
#ifdef _WIN32
        file_ = _wfopen(temporary_.c_str(), L"wbx");
#else
        file_ = std::fopen(temporary_.c_str(), "wbx");
#endif
        if (file_ == nullptr && (errno != EEXIST || attempt == 100)) {
            temporary_.clear();
            Fail(errno, "создать");
        }
    }
    // glibc ignores the size when it is to allocate the buffer itself.
    buffer_ = std::make_unique<char[]>(kBufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(std::string_view bytes) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail(errno != 0 ? errno : EIO, "записать");
}

void AtomicFile::Commit() {
    if (file_ == nullptr) Fail(EIO, "записать");  // a write failed before: nothing to commit
    int error = 0;
    if (std::fflush(file_) != 0) error = errno;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (error == 0 && closed != 0) error = errno;
    if (error != 0) Fail(error, "записать");
    std::error_code renamed;
    std::filesystem::rename(temporary_, target_, renamed);
    if (renamed) Fail(renamed.value(), "заменить");
    temporary_.clear();
}

void AtomicFile::Fail(int error, std::string_view action) {
    Discard();
    throw FileError(error, action, what_, target_);
}

void AtomicFile::Discard() noexcept {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

}  // namespace korvel
