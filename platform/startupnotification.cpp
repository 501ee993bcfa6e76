#include "platform/startupnotification.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace mensurio {

namespace {

// libxcb is taken from the process, where Qt's libraries have loaded it already, not linked:
// a link of our own would put it in the way of every symbol lookup of every start. For the
// same reason the message is written here and not with libstartup-notification, which would
// be linked, or one more package to depend on, for a few pieces of text.
#define MENSURIO_XCB_FUNCTIONS(F)                                                                  \
    F(xcb_connect)                                                                                 \
    F(xcb_connection_has_error)                                                                    \
    F(xcb_disconnect)                                                                              \
    F(xcb_get_setup)                                                                               \
    F(xcb_setup_roots_iterator)                                                                    \
    F(xcb_screen_next)                                                                             \
    F(xcb_intern_atom)                                                                             \
    F(xcb_intern_atom_reply)                                                                       \
    F(xcb_generate_id)                                                                             \
    F(xcb_create_window)                                                                           \
    F(xcb_send_event)                                                                              \
    F(xcb_destroy_window)                                                                          \
    F(xcb_get_input_focus)                                                                         \
    F(xcb_get_input_focus_reply)

// The libxcb functions the message needs, under their own names.
struct Xcb {
#define MENSURIO_XCB_MEMBER(name) decltype(&::name) name = nullptr;
    MENSURIO_XCB_FUNCTIONS(MENSURIO_XCB_MEMBER)
#undef MENSURIO_XCB_MEMBER
};

template <typename Function> bool resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool loadXcb(Xcb& xcb)
{
    void* library = dlopen("libxcb.so.1", RTLD_LAZY);
    if (!library)
        return false;
    bool found = true;
#define MENSURIO_XCB_RESOLVE(name) found &= resolve(library, #name, xcb.name);
    MENSURIO_XCB_FUNCTIONS(MENSURIO_XCB_RESOLVE)
#undef MENSURIO_XCB_RESOLVE
    return found;
}

xcb_window_t rootWindow(const Xcb& xcb, xcb_connection_t* connection, int screenNumber)
{
    xcb_screen_iterator_t screen = xcb.xcb_setup_roots_iterator(xcb.xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screen.rem; ++i)
        xcb.xcb_screen_next(&screen);
    return screen.rem ? screen.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

// The message types of the first piece and of every later one; XCB_ATOM_NONE where unknown.
std::array<xcb_atom_t, 2> messageTypes(const Xcb& xcb, xcb_connection_t* connection)
{
    const std::array<const char*, 2> names = {"_NET_STARTUP_INFO_BEGIN", "_NET_STARTUP_INFO"};
    std::array<xcb_intern_atom_cookie_t, 2> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i)
        cookies[i] = xcb.xcb_intern_atom(connection, 0, uint16_t(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, 2> types = {XCB_ATOM_NONE, XCB_ATOM_NONE};
    for (std::size_t i = 0; i < names.size(); ++i) {
        xcb_intern_atom_reply_t* reply = xcb.xcb_intern_atom_reply(connection, cookies[i], nullptr);
        types[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
    }
    return types;
}

// The value is quoted, with its quotes and backslashes escaped, so that blanks and quotes in
// an identifier reach the launcher unchanged.
std::string removeMessage(const char* id)
{
    std::string message = "remove: ID=\"";
    for (const char* c = id; *c; ++c) {
        if (*c == '"' || *c == '\\')
            message += '\\';
        message += *c;
    }
    message += '"';
    message += '\0'; // ends the message; the rest of the last piece is zeros too
    return message;
}

// The message in pieces of 20 bytes, from a window of our own, which tells the receivers
// which pieces belong together; it is never mapped.
void sendPieces(const Xcb& xcb, xcb_connection_t* connection, xcb_window_t root,
                const std::array<xcb_atom_t, 2>& types, const std::string& message)
{
    const xcb_window_t sender = xcb.xcb_generate_id(connection);
    xcb.xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, root, -100, -100, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    for (std::size_t offset = 0; offset < message.size(); offset += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = types[offset == 0 ? 0 : 1];
        std::memcpy(event.data.data8, message.data() + offset,
                    std::min<std::size_t>(20, message.size() - offset));
        xcb.xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                           reinterpret_cast<const char*>(&event));
    }
    xcb.xcb_destroy_window(connection, sender);
}

// Sends the "remove" message for `id` to the X server named by DISPLAY, and waits for the
// server to have read it.
void sendRemove(const char* id)
{
    Xcb xcb;
    if (!loadXcb(xcb))
        return;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb.xcb_connect(nullptr, &screenNumber); // none on Wayland
    if (!xcb.xcb_connection_has_error(connection)) {
        const xcb_window_t root = rootWindow(xcb, connection, screenNumber);
        const std::array<xcb_atom_t, 2> types = messageTypes(xcb, connection);
        if (root != XCB_WINDOW_NONE && types[0] != XCB_ATOM_NONE && types[1] != XCB_ATOM_NONE)
            sendPieces(xcb, connection, root, types, removeMessage(id));
        // A round trip before leaving: a server that sees the connection close before it has
        // read the requests drops them unread, which a busy machine makes likely.
        std::free(xcb.xcb_get_input_focus_reply(connection, xcb.xcb_get_input_focus(connection),
                                                nullptr));
    }
    xcb.xcb_disconnect(connection);
}

// Returns when the read end `ended` sees the end of its pipe (its writer is gone) or after a
// second, whichever comes first.
void waitAtMostASecond(int ended)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
    pollfd end{ended, POLLIN, 0};
    for (int ready = -1; ready < 0;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        ready = left.count() > 0 ? ::poll(&end, 1, int(left.count())) : 0;
        if (ready < 0 && errno != EINTR)
            break;
    }
}

} // namespace

void endStartupNotification()
{
    const char* id = std::getenv("DESKTOP_STARTUP_ID");
    if (!id || !*id)
        return;
    // A server that does not answer (grabbed by another client, stopped) would hold the copy
    // for as long as it stays so: libxcb waits for its answers without a limit. A child
    // process talks to it instead, and is given a second; the message is a courtesy to the
    // launcher, which ends its wait on its own after a while. The toolkit has not started
    // yet, so the process has one thread and forking is safe.
    int ended[2];
    if (::pipe2(ended, O_CLOEXEC) != 0)
        return;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ended[0]);
        sendRemove(id);
        ::_exit(0);
    }
    ::close(ended[1]);
    if (child > 0) {
        waitAtMostASecond(ended[0]);
        ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(ended[0]);
}

} // namespace mensurio
