// A file that appears under its name only when it is complete: it is written
// to a fresh temporary file beside the target and renamed over it at the end.
// A file that is not committed is removed, so an aborted batch leaves nothing
// half-written behind.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace korvel::batch {

class OutputFile {
public:
    // Creates the temporary file. Throws std::filesystem::filesystem_error
    // when it cannot be created.
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::string_view bytes);
    // Closes the file and renames it to the target. Throws
    // std::filesystem::filesystem_error when any of that fails.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }

private:
    void Discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    int writeError_ = 0;  // the first failed write's errno
};

}  // namespace korvel::batch
