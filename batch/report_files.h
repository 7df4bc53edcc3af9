// SPDX-License-Identifier: GPL-3.0-or-later
// Report files of a batch, each replaced atomically as the window replaces its
// report: a reader sees the old file or the new one, never a mix.
//
// Replacing thousands of files by new ones frees and allocates as many inodes,
// which some file systems make slow. So the writer keeps one spare file:
// the new bytes go into the spare, which then trades names with the old
// report in one atomic step; the old report becomes the next spare, and the
// last spare is removed at the end. Whenever that road fails the file is
// written by korvel::ReplaceFile, which also gives the error of a failure.
#pragma once

#include <filesystem>
#include <string_view>

namespace korvel::batch {

class ReportFiles {
public:
    // `folder` is where every report of this writer goes. Writers of one
    // batch that run side by side have each their own `worker` number.
    explicit ReportFiles(const std::filesystem::path& folder, unsigned worker = 0);
    ~ReportFiles();
    ReportFiles(const ReportFiles&) = delete;
    ReportFiles& operator=(const ReportFiles&) = delete;

    // Replaces `path` (in the folder) with `bytes`. Throws FatalError as
    // korvel::ReplaceFile does.
    void Replace(const std::filesystem::path& path, std::string_view bytes);

private:
    bool TryExchange(const std::filesystem::path& path, std::string_view bytes);
    void DropSpare() noexcept;

    std::filesystem::path sparePath_;
    bool haveSpare_ = false;
};

}  // namespace korvel::batch
