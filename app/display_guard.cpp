// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_guard.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace korvel {

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

std::mutex heldMutex;
std::vector<HeldMessage> held;
QtMessageHandler previousHandler = nullptr;
bool guarding = false;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(name) + "=" + value : std::string();
}

std::string NoDisplayLine() {
    std::string settings;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const std::string variable = Variable(name);
        if (!variable.empty()) settings += (settings.empty() ? "" : ", ") + variable;
    }
    if (settings.empty())
        return "korvel: окно открыть невозможно: не задан графический дисплей (DISPLAY или WAYLAND_DISPLAY)";
    return "korvel: окно открыть невозможно: нет доступа к графическому дисплею (" + settings + ")";
}

void HoldOrExit(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs((NoDisplayLine() + "\n").c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);  // half-built Qt objects must not be torn down
    }
    const std::lock_guard lock(heldMutex);
    held.push_back({type, QByteArray(context.category), text});
}

}  // namespace

DisplayGuard::DisplayGuard() {
    guarding = true;
    previousHandler = qInstallMessageHandler(HoldOrExit);
}

DisplayGuard::~DisplayGuard() { Release(); }

void DisplayGuard::Release() {
    if (!guarding) return;
    guarding = false;
    qInstallMessageHandler(previousHandler);
    const std::lock_guard lock(heldMutex);
    for (const HeldMessage& message : held) {
        qt_message_output(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                          message.text);
    }
    held.clear();
}

}  // namespace korvel
