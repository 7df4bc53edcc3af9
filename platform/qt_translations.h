// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of Qt's own dialogs (print, print preview, files, the standard
// buttons) in the language of the program's own texts.
#pragma once

class QCoreApplication;

namespace korvel {

// Installs Qt's translation for the user's language, or the Russian one when
// Qt has none for it, from Qt's translations folder. Does nothing when none
// is installed.
void LoadQtTranslations(QCoreApplication& app);

}  // namespace korvel
