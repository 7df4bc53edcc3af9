// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/zip_entry.h"

#include <zip.h>

#include <memory>
#include <stdexcept>

namespace korvel::testing {

std::string ReadZipEntry(const std::filesystem::path& zip, const std::string& name) {
    int error = 0;
    const std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(zip.c_str(), ZIP_RDONLY, &error),
                                                                 &zip_discard);
    if (!archive) throw std::runtime_error("cannot open " + zip.string() + " as a zip archive");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive.get(), name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        throw std::runtime_error(zip.string() + " has no member " + name);
    const std::unique_ptr<zip_file_t, decltype(&zip_fclose)> member(zip_fopen(archive.get(), name.c_str(), 0),
                                                                    &zip_fclose);
    std::string bytes(stat.size, '\0');
    if (!member || zip_fread(member.get(), bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
        throw std::runtime_error("cannot read " + name + " of " + zip.string());
    return bytes;
}

}  // namespace korvel::testing
