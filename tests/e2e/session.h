#pragma once

#include <QDir>
#include <QProcessEnvironment>

namespace e2e {

// A process's environment with no display, and home, runtime folder and stand-in programs
// (first on PATH) from the session folder. Nothing of the desktop the test runs on may leak
// in: no display, session bus, session manager or settings folder.
inline QProcessEnvironment sessionEnvironment(const QDir& session)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XAUTHORITY",
          "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
          "XDG_DATA_HOME", "XDG_STATE_HOME"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), session.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       session.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("PATH"), session.filePath(QStringLiteral("bin")) +
                                                   QLatin1Char(':') +
                                                   environment.value(QStringLiteral("PATH")));
    return environment;
}

// The environment of the program under test on the private X display.
inline QProcessEnvironment programEnvironment(const QByteArray& display, const QDir& session)
{
    QProcessEnvironment environment = sessionEnvironment(session);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    return environment;
}

} // namespace e2e
