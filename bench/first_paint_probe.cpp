// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into a Qt program with LD_PRELOAD: ends its event loop right after
// the first paint of any widget, so that the program's run from start to
// exit is its start-up to the first painted window. One probe for korvel and
// the bare window alike; the program itself is not changed.
#include <QApplication>
#include <QEvent>

#include <dlfcn.h>

namespace {

class FirstPaint : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // Queued: the paint in progress is drawn and shown first.
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(object, event);
    }

private:
    bool painted_ = false;
};

}  // namespace

// Takes the place of Qt's own, which it calls.
int QApplication::exec() {
    using Exec = int (*)();
    static const auto real = reinterpret_cast<Exec>(dlsym(RTLD_NEXT, "_ZN12QApplication4execEv"));
    qApp->installEventFilter(new FirstPaint(qApp));
    return real();
}
