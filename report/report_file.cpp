// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_file.h"

#include <string>
#include <system_error>

#include "report/atomic_file.h"
#include "report/report_document.h"

namespace korvel {

void ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
    // A report that is a symbolic link keeps being one: its target is replaced.
    std::error_code linkError;  // a missing report is no link and no error
    const bool isLink = std::filesystem::is_symlink(std::filesystem::symlink_status(path, linkError));
    const std::filesystem::path target = isLink ? std::filesystem::weakly_canonical(path, linkError) : path;
    constexpr std::string_view kWhat = "файл отчета";
    if (isLink && linkError) throw FileError(linkError.value(), "заменить", kWhat, path);

    AtomicFile file(target, std::string(kWhat));
    file.Write(bytes);
    file.Commit();
}

std::optional<FatalError> WriteReport(const CalcInputs& inputs, const CalcResults& results, char separator,
                                      const std::filesystem::path& path) {
    try {
        ReplaceFile(path, BuildReport(inputs, results, separator));
        return std::nullopt;
    } catch (const FatalError& error) {
        return error;
    }
}

}  // namespace korvel
