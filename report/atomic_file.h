// SPDX-License-Identifier: GPL-3.0-or-later
// A file that appears under its name only when it is complete: it is written
// to a fresh temporary file beside the target and renamed over it at the end.
// A file that is not committed is removed, so nothing half-written is left.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "calc/fatal_error.h"

namespace korvel {

// Codes of the file errors, with the conventional meanings.
inline constexpr int kDiskFull = 61;
inline constexpr int kFileAccessError = 75;  // any other failure of the file system
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;

// The failure to `action` ("создать") the file named by `what` at `path`,
// with the code that the system's error number `error` maps to:
// "Не удалось создать файл отчета «path»: нет прав доступа".
FatalError FileError(int error, std::string_view action, std::string_view what, const std::filesystem::path& path);

class AtomicFile {
public:
    // Creates the temporary file (exclusively: never someone else's).
    // `what` names the file in error texts, in the accusative ("файл отчета").
    // Every failure throws FatalError with one of the codes above and a
    // Russian description naming the target.
    AtomicFile(std::filesystem::path target, std::string what);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Throws at the first write that fails, so that a full disk stops the
    // writer at once; the file is then discarded.
    void Write(std::string_view bytes);
    // For a writer that opens the file by its name (a library) instead of
    // calling Write: it writes here, and Commit puts the file in place.
    const std::filesystem::path& TemporaryPath() const { return temporary_; }
    // Flushes, closes and renames the file over the target; on failure the
    // temporary file is removed and the target left as it was.
    void Commit();

private:
    [[noreturn]] void Fail(int error, std::string_view action);
    void Discard() noexcept;

    std::filesystem::path target_;
    std::string what_;
    std::filesystem::path temporary_;
    static constexpr std::size_t kBufferSize = std::size_t{1} << 16;
    std::unique_ptr<char[]> buffer_;  // outlives file_, which Discard closes
    std::FILE* file_ = nullptr;
};

}  // namespace korvel
