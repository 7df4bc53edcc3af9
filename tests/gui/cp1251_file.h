// SPDX-License-Identifier: GPL-3.0-or-later
// Writes an HTML file the way the report writer does: Windows-1251 bytes, no
// character-set declaration.
#pragma once

#include <QFile>
#include <QString>
#include <QStringEncoder>

namespace korvel::testing {

inline void WriteCp1251(const QString& path, const QString& html) {
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(html);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    out.write(bytes);
}

}  // namespace korvel::testing
