#pragma once

#include <QDir>
#include <QProcessEnvironment>

namespace e2e {

// The environment of the program under test: the private display, and home, runtime folder
// and stand-in programs (first on PATH) from the session folder. Nothing of the desktop the
// test runs on may leak in: no other display, session bus, session manager or settings folder.
inline QProcessEnvironment programEnvironment(const QByteArray& display, const QDir& session)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER",
                             "DBUS_SESSION_BUS_ADDRESS", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                             "XDG_DATA_HOME", "XDG_STATE_HOME"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    environment.insert(QStringLiteral("HOME"), session.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       session.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("PATH"), session.filePath(QStringLiteral("bin")) +
                                                   QLatin1Char(':') +
                                                   environment.value(QStringLiteral("PATH")));
    return environment;
}

} // namespace e2e
