// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/zip_entry.h"

#include <zip.h>

#include <memory>
#include <stdexcept>

namespace korvel::testing {

std::string ReadZipEntry(const std::filesystem::path& zip, const std::string& name) {
    int error = 0;
    const std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(zip.c_str(), ZIP_RDONLY, &error),
                                                                 zip_discard);
    if (!archive) throw std::runtime_error(zip.string() + " is no zip archive (libzip error " + std::to_string(error) + ")");
    zip_stat_t entry;
    if (zip_stat(archive.get(), name.c_str(), 0, &entry) != 0 || (entry.valid & ZIP_STAT_SIZE) == 0) {
        throw std::runtime_error(zip.string() + " has no " + name);
    }
    const std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen(archive.get(), name.c_str(), 0),
                                                                  zip_fclose);
    std::string bytes(entry.size, '\0');
    if (!file || zip_fread(file.get(), bytes.data(), entry.size) != static_cast<zip_int64_t>(entry.size)) {
        throw std::runtime_error("cannot read " + name + " of " + zip.string());
    }
    return bytes;
}

}  // namespace korvel::testing
