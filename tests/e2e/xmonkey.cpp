#include "xmonkey.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace e2e {

namespace {

Display* asDisplay(void* display) { return static_cast<Display*>(display); }

// Windows come and go while the monkey looks at them; a request on a gone window must fail
// alone, not end the test as Xlib's default handler would.
int ignoreError(Display*, XErrorEvent*) { return 0; }

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

QByteArray property(Display* display, ::Window window, Atom name, Atom* type = nullptr,
                    int* format = nullptr)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    QByteArray bytes;
    if (XGetWindowProperty(display, window, name, 0, 4096, False, AnyPropertyType, &actualType,
                           &actualFormat, &count, &remaining, &data) == Success &&
        data) {
        // Xlib hands 32-bit items over as longs.
        const int itemSize = actualFormat == 32 ? int(sizeof(long)) : actualFormat / 8;
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count) * itemSize);
    }
    if (data)
        XFree(data);
    if (type)
        *type = actualType;
    if (format)
        *format = actualFormat;
    return bytes;
}

QList<long> longs(const QByteArray& bytes)
{
    QList<long> values(bytes.size() / qsizetype(sizeof(long)));
    if (!values.isEmpty())
        std::memcpy(values.data(), bytes.constData(), std::size_t(values.size()) * sizeof(long));
    return values;
}

} // namespace

XMonkey::XMonkey(const QByteArray& displayName)
{
    XSetErrorHandler(ignoreError);
    Display* display = XOpenDisplay(displayName.constData());
    if (!display)
        return;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        return;
    }
    display_ = display;
    root_ = DefaultRootWindow(display);
    owner_ = XCreateSimpleWindow(display, root_, 0, 0, 1, 1, 0, 0, 0);
    // Ping answers go to the root window's substructure.
    XSelectInput(display, root_, StructureNotifyMask | SubstructureNotifyMask);
    XSync(display, False);
}

XMonkey::~XMonkey()
{
    if (display_)
        XCloseDisplay(asDisplay(display_));
}

QStringList XMonkey::bindExtraKeys(const QList<char32_t>& characters)
{
    Display* display = asDisplay(display_);
    int first = 0, last = 0, perCode = 0;
    XDisplayKeycodes(display, &first, &last);
    KeySym* map = XGetKeyboardMapping(display, KeyCode(first), last - first + 1, &perCode);
    QStringList bound;
    qsizetype next = 0;
    for (int code = last; code >= first && next < characters.size(); --code) {
        bool spare = true;
        for (int i = 0; i < perCode; ++i)
            spare = spare && map[(code - first) * perCode + i] == NoSymbol;
        if (!spare)
            continue;
        // Unicode keysyms are 0x01000000 plus the code point.
        KeySym symbol = 0x01000000 + characters[next];
        XChangeKeyboardMapping(display, code, 1, &symbol, 1);
        // The keysym's name; XKeysymToString would allocate it for good.
        bound += QStringLiteral("U%1").arg(uint(characters[next]), 4, 16, QLatin1Char('0'));
        ++next;
    }
    XFree(map);
    XSync(display, False);
    return bound;
}

QList<XMonkey::Window> XMonkey::windowsOf(qint64 pid)
{
    Display* display = asDisplay(display_);
    const Atom pidAtom = atom(display, "_NET_WM_PID");
    const Atom stateAtom = atom(display, "_NET_WM_STATE");
    const Atom modalAtom = atom(display, "_NET_WM_STATE_MODAL");
    const Atom nameAtom = atom(display, "_NET_WM_NAME");
    ::Window rootReturn = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    QList<Window> found;
    if (!XQueryTree(display, root_, &rootReturn, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        const QList<long> owner = longs(property(display, children[i], pidAtom));
        if (owner.isEmpty() || owner.first() != pid)
            continue;
        Window window;
        window.id = children[i];
        window.title = QString::fromUtf8(property(display, children[i], nameAtom));
        window.frame = QRect(attributes.x, attributes.y, attributes.width, attributes.height);
        window.modal = longs(property(display, children[i], stateAtom)).contains(long(modalAtom));
        window.popup = attributes.override_redirect;
        found += window;
    }
    if (children)
        XFree(children);
    return found;
}

void XMonkey::focus(unsigned long window)
{
    // What a window manager does on a click; there is none on this server.
    XSetInputFocus(asDisplay(display_), window, RevertToParent, CurrentTime);
    XSync(asDisplay(display_), False);
}

bool XMonkey::pressKeys(const QStringList& keys)
{
    Display* display = asDisplay(display_);
    std::vector<KeyCode> codes;
    for (const QString& key : keys) {
        const KeySym symbol = XStringToKeysym(key.toLatin1().constData());
        const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
        if (code == 0)
            return false;
        codes.push_back(code);
    }
    for (KeyCode code : codes) {
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        ++events_;
    }
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) {
        XTestFakeKeyEvent(display, *code, False, CurrentTime);
        ++events_;
    }
    XFlush(display);
    return true;
}

void XMonkey::movePointer(int x, int y)
{
    XTestFakeMotionEvent(asDisplay(display_), -1, x, y, CurrentTime);
    ++events_;
    XFlush(asDisplay(display_));
}

void XMonkey::click(int x, int y, int button)
{
    movePointer(x, y);
    Display* display = asDisplay(display_);
    XTestFakeButtonEvent(display, unsigned(button), True, CurrentTime);
    XTestFakeButtonEvent(display, unsigned(button), False, CurrentTime);
    events_ += 2;
    XFlush(display);
}

void XMonkey::offerText(const QByteArray& utf8)
{
    Display* display = asDisplay(display_);
    offered_ = utf8;
    XSetSelectionOwner(display, XA_PRIMARY, owner_, CurrentTime);
    XSetSelectionOwner(display, atom(display, "CLIPBOARD"), owner_, CurrentTime);
    XSync(display, False);
}

void XMonkey::pump()
{
    Display* display = asDisplay(display_);
    const Atom protocols = atom(display, "WM_PROTOCOLS");
    const Atom ping = atom(display, "_NET_WM_PING");
    const Atom targets = atom(display, "TARGETS");
    const Atom utf8 = atom(display, "UTF8_STRING");
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == protocols &&
            Atom(event.xclient.data.l[0]) == ping && event.xclient.window == root_) {
            lastPingAnswered_ = std::max(lastPingAnswered_, event.xclient.data.l[3]);
            continue;
        }
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = request.property == None ? request.target : request.property;
        if (request.target == targets) {
            const long offered[] = {long(targets), long(utf8), long(XA_STRING)};
            XChangeProperty(display, request.requestor, reply.xselection.property, XA_ATOM, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(offered), 3);
        } else if (request.target == utf8 || request.target == XA_STRING) {
            XChangeProperty(display, request.requestor, reply.xselection.property, request.target,
                            8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered_.constData()),
                            int(offered_.size()));
        } else {
            reply.xselection.property = None;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, &reply);
        XFlush(display);
    }
}

void XMonkey::sendProtocol(unsigned long window, const char* protocol, long cookie)
{
    Display* display = asDisplay(display_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(display, "WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(atom(display, protocol));
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = long(window);
    // The answer to a ping is this very message; the cookie tells which ping it answers.
    event.xclient.data.l[3] = cookie;
    // An empty event mask delivers the message to the client that created the window.
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

bool XMonkey::ping(unsigned long window, int timeoutMs)
{
    // The stamp counts up, so an answer to an earlier ping never passes for this one.
    const long stamp = ++pingStamp_;
    sendProtocol(window, "_NET_WM_PING", stamp);
    const QDeadlineTimer deadline(timeoutMs);
    while (lastPingAnswered_ < stamp && !deadline.hasExpired()) {
        pump();
        if (lastPingAnswered_ < stamp)
            QThread::msleep(2);
    }
    return lastPingAnswered_ >= stamp;
}

void XMonkey::sendDelete(unsigned long window) { sendProtocol(window, "WM_DELETE_WINDOW", 0); }

} // namespace e2e
