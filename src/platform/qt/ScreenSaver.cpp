#include "platform/qt/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace {

uint32_t g_cookie = 0;
bool g_suspended = false;

QDBusInterface* Service() {
    if (!QDBusConnection::sessionBus().isConnected())
        return nullptr;
    static QDBusInterface service("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                  "org.freedesktop.ScreenSaver");
    return service.isValid() ? &service : nullptr;
}

} // namespace

void ScreenSaver::Suspend() {
    if (g_suspended)
        return;
    g_suspended = true;
    if (QDBusInterface* s = Service()) {
        QDBusReply<uint32_t> reply = s->call("Inhibit", "Dravik", "NC transfer");
        g_cookie = reply.isValid() ? reply.value() : 0;
    }
}

void ScreenSaver::Allow() {
    if (!g_suspended)
        return;
    g_suspended = false;
    if (g_cookie != 0) {
        if (QDBusInterface* s = Service())
            s->call("UnInhibit", g_cookie);
        g_cookie = 0;
    }
}

bool ScreenSaver::Suspended() {
    return g_suspended;
}
