#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace e2e {

// A monkey's hands on an X server: real input through the XTest extension, the clipboard
// and the primary selection held with texts of its own, and a ping that only a program
// whose event loop runs can answer. Xlib's types stay in the .cpp file.
class XMonkey {
public:
    struct Window {
        unsigned long id = 0;
        QString title;
        QRect frame; // on the screen
        bool modal = false;
        bool popup = false; // menus, drop-down lists, tool tips
    };

    explicit XMonkey(const QByteArray& displayName);
    ~XMonkey();
    XMonkey(const XMonkey&) = delete;
    XMonkey& operator=(const XMonkey&) = delete;

    bool isOpen() const { return display_ != nullptr; }
    // The real X input events sent so far.
    int events() const { return events_; }

    // Binds spare key codes to characters no US keyboard has; they then type like any key.
    // Call before the program starts, so it reads the new map with its first.
    QStringList bindExtraKeys(const QList<char32_t>& characters);

    // Mapped top-level windows of the process, popups included.
    QList<Window> windowsOf(qint64 pid);
    void focus(unsigned long window);

    // keysym names as in <X11/keysymdef.h> without "XK_", modifiers first: {"Control_L", "v"}.
    bool pressKeys(const QStringList& keys);
    void click(int x, int y, int button);
    void movePointer(int x, int y);

    // Owns CLIPBOARD and PRIMARY with this text; pump() answers the requests for it.
    void offerText(const QByteArray& utf8);
    // Handles what the server has sent: selection requests, lost selections, ping answers.
    void pump();

    // A window manager's ping (_NET_WM_PING): true when the program sends it back within
    // timeoutMs. Selection requests are answered meanwhile, so a paste never stalls it.
    bool ping(unsigned long window, int timeoutMs);
    // The close request of a window frame (WM_DELETE_WINDOW).
    void sendDelete(unsigned long window);

private:
    void sendProtocol(unsigned long window, const char* protocol, long cookie);

    void* display_ = nullptr; // Display*
    unsigned long root_ = 0;
    unsigned long owner_ = 0; // the window that owns the selections
    QByteArray offered_;
    int events_ = 0;
    long lastPingAnswered_ = 0;
    long pingStamp_ = 0;
};

} // namespace e2e
