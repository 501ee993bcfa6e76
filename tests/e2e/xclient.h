#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace e2e {

// The test's own connection to the X server, for the few things xdotool cannot do: send a
// window manager's close request, notice windows that appear and go again between two looks,
// and read the text a program has selected. Xlib's types stay in the .cpp file, so its macros
// (None, Bool, Status...) never meet Qt's headers.
class XClient {
public:
    explicit XClient(const QByteArray& displayName);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool isOpen() const { return display_ != nullptr; }

    // Starts counting the top-level windows that get mapped, by any client, and collecting
    // the startup notification messages broadcast on the root window.
    void watchMaps();
    // Top-level windows mapped since watchMaps(), up to requests the server has handled now.
    int mapsSinceWatch();
    // The complete startup notification messages since watchMaps(), in their order.
    QStringList startupMessagesSinceWatch();

    // What a window manager sends when the user clicks a frame's close box:
    // a WM_PROTOCOLS ClientMessage carrying WM_DELETE_WINDOW.
    bool sendDeleteWindow(unsigned long window);

    // A round trip through the window manager: asks it for a window's frame extents and
    // waits for its answer. The window manager handles its events in order, so when this
    // returns true it has handled every input the server took before the call.
    bool windowManagerRoundTrip(int timeoutMs);

    // The text of the PRIMARY selection (what a program last selected) as its owner hands it
    // over, or nothing when no one owns it or the owner does not answer within timeoutMs.
    std::optional<QString> primarySelection(int timeoutMs);

private:
    void* display_ = nullptr; // Display*
    unsigned long root_ = 0;
    int maps_ = 0;
    QHash<unsigned long, QByteArray> partialMessages_; // by sending window
    QStringList startupMessages_;
    // Counts or collects one event of the watch.
    void watch(const void* event);
    // Takes the server's events, each through the watch, until `wanted` accepts one (an
    // XEvent) or timeoutMs pass.
    bool waitForEvent(int timeoutMs, const std::function<bool(const void*)>& wanted);
};

} // namespace e2e
