// SPDX-License-Identifier: GPL-3.0-or-later
// A file that appears under its name only when it is complete: it is written
// to a fresh temporary file beside the target and renamed over it at the end.
// A file that is not committed is removed, so nothing half-written is left.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace korvel {

class AtomicFile {
public:
    // Which step failed, so that callers can say what could not be done.
    enum class Step { Create, Write, Replace };

    class Error : public std::filesystem::filesystem_error {
    public:
        Error(Step step, const std::filesystem::path& path, int error);
        Error(Step step, const std::filesystem::path& path, std::error_code error);
        Step FailedStep() const noexcept { return step_; }

    private:
        Step step_;
    };

    // Creates the temporary file (exclusively: never someone else's). Throws
    // Error with Step::Create.
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // A failed write is remembered and reported by Commit.
    void Write(std::string_view bytes);
    // Flushes, closes and renames the file over the target. Throws Error with
    // Step::Write or Step::Replace; the temporary file is removed then.
    void Commit();

private:
    void Discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    int writeError_ = 0;  // the first failed write's errno
};

}  // namespace korvel
