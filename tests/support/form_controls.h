// SPDX-License-Identifier: GPL-3.0-or-later
// Driving the input window by its controls' names, as the user would.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace korvel::testing {

// A text field gets the text; the brand list picks the entry with that text
// (none for a text it does not hold, the empty one included).
inline void SetControl(QWidget& form, const char* name, const QString& text) {
    if (auto* combo = form.findChild<QComboBox*>(QString::fromLatin1(name))) {
        combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
        return;
    }
    form.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
}

}  // namespace korvel::testing
