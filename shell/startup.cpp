#include "shell/startup.h"

#include <QByteArray>
#include <QString>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace mensurio {

std::optional<int> answerCommandLine(int argc, char* argv[])
{
    static constexpr char usage[] =
        "Usage: mensurio [--help | --version]\n"
        "Converts weights, lengths, areas, volumes and temperatures in a window on the desktop.\n"
        "Only one copy runs for each user; starting another ends it at once.\n"
        "\n"
        "  --help     print this help and exit\n"
        "  --version  print the version and exit\n";
    static constexpr char version[] = "Mensurio " MENSURIO_VERSION "\n";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        const char* answer = argument == "--help" ? usage : argument == "--version" ? version : nullptr;
        if (!answer)
            continue;
        // A closed or full standard output is a failure that a script must be able to see.
        return std::fputs(answer, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    }
    return std::nullopt;
}

void endStartupNotification()
{
    const char* id = std::getenv("DESKTOP_STARTUP_ID");
    if (!id || !*id)
        return;
    // libxcb is taken from the process, where Qt's libraries have loaded it already, not
    // linked: a link of our own would put it in the way of every symbol lookup of every start.
    void* library = dlopen("libxcb.so.1", RTLD_LAZY);
    if (!library)
        return;
    bool found = true;
#define MENSURIO_XCB(name)                                                                       \
    const auto name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                \
    found = found && name
    MENSURIO_XCB(xcb_connect);
    MENSURIO_XCB(xcb_connection_has_error);
    MENSURIO_XCB(xcb_disconnect);
    MENSURIO_XCB(xcb_get_setup);
    MENSURIO_XCB(xcb_setup_roots_iterator);
    MENSURIO_XCB(xcb_screen_next);
    MENSURIO_XCB(xcb_intern_atom);
    MENSURIO_XCB(xcb_intern_atom_reply);
    MENSURIO_XCB(xcb_generate_id);
    MENSURIO_XCB(xcb_create_window);
    MENSURIO_XCB(xcb_send_event);
    MENSURIO_XCB(xcb_destroy_window);
    MENSURIO_XCB(xcb_flush);
#undef MENSURIO_XCB
    if (!found)
        return;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber); // DISPLAY; none on Wayland
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screen.rem; ++i)
        xcb_screen_next(&screen);
    if (screen.rem) {
        const xcb_window_t root = screen.data->root;
        xcb_atom_t types[2] = {XCB_ATOM_NONE, XCB_ATOM_NONE};
        const char* names[2] = {"_NET_STARTUP_INFO_BEGIN", "_NET_STARTUP_INFO"};
        xcb_intern_atom_cookie_t cookies[2];
        for (int i = 0; i < 2; ++i)
            cookies[i] = xcb_intern_atom(connection, 0, uint16_t(std::strlen(names[i])), names[i]);
        for (int i = 0; i < 2; ++i) {
            if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr)) {
                types[i] = reply->atom;
                std::free(reply);
            }
        }
        // The value is quoted, with its quotes and backslashes escaped, so that blanks and
        // quotes in an identifier reach the launcher unchanged.
        std::string message = "remove: ID=\"";
        for (const char* c = id; *c; ++c) {
            if (*c == '"' || *c == '\\')
                message += '\\';
            message += *c;
        }
        message += '"';
        message += '\0'; // ends the message; the rest of the last piece is zeros too
        // The pieces come from a window of our own, which tells the receivers which pieces
        // belong together; it is never mapped.
        const xcb_window_t sender = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, root, -100, -100, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        for (std::size_t offset = 0; types[0] && types[1] && offset < message.size(); offset += 20) {
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 8;
            event.window = sender;
            event.type = types[offset == 0 ? 0 : 1];
            std::memcpy(event.data.data8, message.data() + offset,
                        std::min<std::size_t>(20, message.size() - offset));
            xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                           reinterpret_cast<const char*>(&event));
        }
        xcb_destroy_window(connection, sender);
        // No round trip to wait for: the server handles what reached it before the connection
        // closed, and on a busy machine each round trip waits for the server's turn.
        xcb_flush(connection);
    }
    xcb_disconnect(connection);
}

namespace {

// What the toolkit said while it started, held back until it is known whether it started.
struct Held {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};
std::vector<Held> held;
std::mutex heldLock; // the toolkit's event thread may speak while the toolkit starts
QtMessageHandler forward = nullptr;

void replayHeld()
{
    const std::lock_guard<std::mutex> guard(heldLock);
    for (const Held& message : held)
        forward(message.type,
                QMessageLogContext(message.file, message.line, message.function, message.category),
                message.text);
    held.clear();
}

// Why no display could be opened, from the platform plugin the toolkit names in its warning
// ('Could not load the Qt platform plugin "xcb" ...'); empty when the failure is another one.
QByteArray missingDisplay()
{
    QString plugin;
    static const QLatin1String named("platform plugin \"");
    for (const Held& message : held) {
        if (const qsizetype at = message.text.indexOf(named); at >= 0)
            plugin = message.text.mid(at + named.size()).section(QLatin1Char('"'), 0, 0);
    }
    const bool wayland = plugin.startsWith(QLatin1String("wayland"));
    if (!plugin.isEmpty() && !wayland && plugin != QLatin1String("xcb"))
        return {};
    const QByteArray x11Display = qgetenv("DISPLAY");
    const QByteArray waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    if (x11Display.isEmpty() && waylandDisplay.isEmpty())
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    if (plugin.isEmpty())
        return {};
    if (wayland) // the toolkit's Wayland client tries wayland-0 where none is named
        return "the Wayland display \"" + (waylandDisplay.isEmpty() ? "wayland-0" : waylandDisplay) +
               "\" could not be opened";
    if (x11Display.isEmpty())
        return "DISPLAY is not set";
    return "the X display \"" + x11Display + "\" could not be opened";
}

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    std::unique_lock<std::mutex> guard(heldLock);
    if (type != QtFatalMsg) {
        held.push_back({type, context.file, context.line, context.function, context.category, text});
        return;
    }
    // The toolkit gives up and would abort. No display is a matter of the surroundings, not
    // a crash: say what is missing and end with a failure status, leaving no core dump.
    const QByteArray reason = missingDisplay();
    if (reason.isEmpty()) {
        guard.unlock();
        replayHeld();
        forward(QtCriticalMsg, context, text);
    } else {
        const QByteArray line = "Mensurio needs a graphical display: " + reason + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    }
    std::fflush(stderr);
    ::_exit(1);
}

} // namespace

DisplayGuard::DisplayGuard() : previous_(qInstallMessageHandler(holdOrEnd)) { forward = previous_; }

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previous_);
    replayHeld();
}

} // namespace mensurio
