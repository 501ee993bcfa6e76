#include "xclient.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace e2e {

namespace {

Display* asDisplay(void* display) { return static_cast<Display*>(display); }

// A window that went away between the test's look and its request must fail that one
// request, not end the test process as Xlib's default handler would.
int lastErrorCode = 0;
int recordError(Display*, XErrorEvent* error)
{
    lastErrorCode = error->error_code;
    return 0;
}

} // namespace

XClient::XClient(const QByteArray& displayName)
{
    XSetErrorHandler(recordError);
    Display* display = XOpenDisplay(displayName.constData());
    if (!display)
        return;
    display_ = display;
    root_ = DefaultRootWindow(display);
}

XClient::~XClient()
{
    if (display_)
        XCloseDisplay(asDisplay(display_));
}

void XClient::watchMaps()
{
    Display* display = asDisplay(display_);
    // Startup notification messages go to the root window for PropertyChangeMask.
    XSelectInput(display, root_, SubstructureNotifyMask | PropertyChangeMask);
    XSync(display, True); // drop what came before
    maps_ = 0;
    partialMessages_.clear();
    startupMessages_.clear();
}

void XClient::watch(const void* watched)
{
    Display* display = asDisplay(display_);
    const XEvent& event = *static_cast<const XEvent*>(watched);
    if (event.type == MapNotify && event.xmap.event == root_)
        ++maps_;
    if (event.type != ClientMessage || event.xclient.format != 8)
        return;
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    const unsigned long sender = event.xclient.window;
    if (event.xclient.message_type == begin)
        partialMessages_[sender].clear();
    else if (event.xclient.message_type != more || !partialMessages_.contains(sender))
        return;
    // Pieces of 20 bytes; a zero byte ends the message.
    QByteArray& message = partialMessages_[sender];
    const QByteArray piece(event.xclient.data.b, 20);
    const qsizetype end = piece.indexOf('\0');
    message += end < 0 ? piece : piece.left(end);
    if (end >= 0)
        startupMessages_ << QString::fromUtf8(partialMessages_.take(sender));
}

QStringList XClient::startupMessagesSinceWatch()
{
    mapsSinceWatch();
    return startupMessages_;
}

int XClient::mapsSinceWatch()
{
    Display* display = asDisplay(display_);
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        watch(&event);
    }
    return maps_;
}

bool XClient::sendDeleteWindow(unsigned long window)
{
    Display* display = asDisplay(display_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    lastErrorCode = 0;
    // An empty event mask delivers the message to the client that created the window.
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return sent != 0 && lastErrorCode == 0;
}

bool XClient::waitForEvent(int timeoutMs, const std::function<bool(const void*)>& wanted)
{
    Display* display = asDisplay(display_);
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (XPending(display) == 0) {
            QThread::msleep(10);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        watch(&event);
        if (wanted(&event))
            return true;
    }
    return false;
}

bool XClient::windowManagerRoundTrip(int timeoutMs)
{
    Display* display = asDisplay(display_);
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    // Never mapped: the window manager only writes the extents it would give it.
    const Window asker = XCreateSimpleWindow(display, root_, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, asker, PropertyChangeMask);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = asker;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);

    const bool answered = waitForEvent(timeoutMs, [&](const void* received) {
        const auto* event = static_cast<const XEvent*>(received);
        return event->type == PropertyNotify && event->xproperty.window == asker &&
               event->xproperty.atom == extents;
    });
    XDestroyWindow(display, asker);
    XFlush(display);
    return answered;
}

std::optional<QString> XClient::primarySelection(int timeoutMs)
{
    Display* display = asDisplay(display_);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom target = XInternAtom(display, "MENSURIO_E2E_PASTE", False);
    const Window requestor = XCreateSimpleWindow(display, root_, 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(display, XA_PRIMARY, utf8, target, requestor, CurrentTime);
    XFlush(display);

    XEvent answer{};
    const bool answered = waitForEvent(timeoutMs, [&](const void* received) {
        const auto* event = static_cast<const XEvent*>(received);
        if (event->type != SelectionNotify || event->xselection.requestor != requestor)
            return false;
        answer = *event;
        return true;
    });
    std::optional<QString> text;
    // No property: no owner, or the owner cannot give text.
    if (answered && answer.xselection.property != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, requestor, target, 0, 65536, True, AnyPropertyType, &type,
                               &format, &count, &remaining, &data) == Success &&
            format == 8 && data)
            text = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                     static_cast<qsizetype>(count));
        if (data)
            XFree(data);
    }
    XDestroyWindow(display, requestor);
    XSync(display, False);
    return text;
}

} // namespace e2e
