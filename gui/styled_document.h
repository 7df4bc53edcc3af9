// SPDX-License-Identifier: GPL-3.0-or-later
// The styled tree of a web page as a Qt rich-text document, built in one
// pass: every run with its font, every table with its frame.
#pragma once

#include <QTextDocument>

#include "htmlview/styled_tree.h"

namespace korvel {

// Replaces the content of `document` with `styled`, in one edit: the
// document is laid out once, when it is next shown.
void BuildDocument(QTextDocument& document, const htmlview::StyledDocument& styled);

}  // namespace korvel
