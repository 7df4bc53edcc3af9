// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/xlsx_module.h"

#include <QCoreApplication>
#include <QDir>

#include <dlfcn.h>

namespace korvel {

namespace {

std::filesystem::path& ModuleFolder() {
    static std::filesystem::path folder;
    return folder;
}

}  // namespace

void SetModuleFolder(const std::filesystem::path& folder) { ModuleFolder() = folder; }

int WriteTotalsXlsx(const CalcInputs& inputs, const CalcResults& results, const std::filesystem::path& file) {
    static WriteTotalsXlsxFunction* write = [] {
        const QString folder =
            ModuleFolder().empty()
                ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../libexec/korvel"))
                : QString::fromStdString(ModuleFolder().string());
        // Kept loaded to the end.
        void* module = dlopen(QDir(folder).filePath(QStringLiteral("korvel-xlsx.so")).toLocal8Bit().constData(),
                              RTLD_NOW | RTLD_LOCAL);
        return module ? reinterpret_cast<WriteTotalsXlsxFunction*>(dlsym(module, kWriteTotalsXlsxSymbol)) : nullptr;
    }();
    return write != nullptr ? write(inputs, results, file.c_str()) : kXlsxModuleMissing;
}

}  // namespace korvel
