// SPDX-License-Identifier: GPL-3.0-or-later
// ZIP archives in memory, with zlib's minizip: the parts of a workbook read,
// and a folder of reports written as one file.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvel {

// A broken or foreign archive; what() says why.
class ZipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ZipReader {
public:
    // `bytes` must outlive the reader. Throws ZipError when they are no ZIP archive.
    explicit ZipReader(std::string_view bytes);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // The member `name` (ASCII case ignored), or nothing when there is none.
    // Throws ZipError when it cannot be unpacked.
    std::optional<std::string> Read(std::string_view name);

private:
    struct Archive;
    std::unique_ptr<Archive> archive_;
};

class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds a deflated member named `name` (UTF-8, flagged as such), dated `when`
    // in local time.
    void Add(std::string_view name, std::string_view bytes, std::time_t when);
    // The whole archive; the writer is done.
    std::string Finish();

private:
    struct Archive;
    std::unique_ptr<Archive> archive_;
};

}  // namespace korvel
