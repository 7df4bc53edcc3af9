// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/session_folder.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace korvel {

QString SessionFolder() {
    // QTemporaryDir makes the folder for the owner alone.
    static const QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("korvel-XXXXXX")));
    return folder.isValid() ? folder.path() : QString();
}

void KeepToolkitSettingsForThisRun() {
    static const bool done = [] {
        // Without the folder the settings go to a place that cannot be written.
        const QString folder = SessionFolder().isEmpty() ? QStringLiteral("/nonexistent") : SessionFolder();
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
                QSettings::setPath(format, scope, folder);
        return true;
    }();
    (void)done;
}

}  // namespace korvel
