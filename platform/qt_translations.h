// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of Qt's own dialogs (print, print preview, files), the standard
// buttons and the fields' context menus in Russian, as all of the program's
// own texts are, whatever the desktop's language.
#pragma once

class QCoreApplication;

namespace korvel {

// Installs Qt's Russian translation from Qt's translations folder. Does
// nothing when it is not installed.
void LoadQtTranslations(QCoreApplication& app);

}  // namespace korvel
