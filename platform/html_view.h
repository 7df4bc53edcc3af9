// SPDX-License-Identifier: GPL-3.0-or-later
// The report window's view of an HTML document, kept apart from the toolkit
// widget that renders it.
#pragma once

#include <filesystem>

namespace korvel {

class HtmlView {
public:
    virtual ~HtmlView() = default;
    // Shows the local file at `file`, read as Windows-1251 (the report declares
    // no character set). Relative resources resolve against the file's folder.
    // A file that cannot be read leaves a short notice in the view instead.
    virtual void Navigate(const std::filesystem::path& file) = 0;
};

}  // namespace korvel
