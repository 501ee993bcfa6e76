#include "platform/startupnotification.h"

#include <xcb/xcb.h>

#include <algorithm>
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

// Sends the "remove" message for `id` to the X server named by DISPLAY, and waits for the
// server to have read it.
void sendRemove(const char* id)
{
    // libxcb is taken from the process, where Qt's libraries have loaded it already, not
    // linked: a link of our own would put it in the way of every symbol lookup of every start.
    void* library = dlopen("libxcb.so.1", RTLD_LAZY);
    if (!library)
        return;
    bool found = true;
#define MENSURIO_XCB(name)                                                                         \
    const auto name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                  \
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
    MENSURIO_XCB(xcb_get_input_focus);
    MENSURIO_XCB(xcb_get_input_focus_reply);
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
            if (xcb_intern_atom_reply_t* reply =
                    xcb_intern_atom_reply(connection, cookies[i], nullptr)) {
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
        for (std::size_t offset = 0; types[0] && types[1] && offset < message.size();
             offset += 20) {
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
        // A round trip before leaving: a server that sees the connection close before it has
        // read the requests drops them unread, which a busy machine makes likely.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    xcb_disconnect(connection);
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
        // The read end sees the end of the pipe when the child is gone.
        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
        pollfd end{ended[0], POLLIN, 0};
        for (int ready = -1; ready < 0;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            ready = left.count() > 0 ? ::poll(&end, 1, int(left.count())) : 0;
            if (ready < 0 && errno != EINTR)
                break;
        }
        ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(ended[0]);
}

} // namespace mensurio
