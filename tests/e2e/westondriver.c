/* A Weston module for the end-to-end suite. The headless backend has no input devices, so
 * this one adds a seat with a keyboard, and the test drives it over the compositor's
 * standard input and output, a line at a time:
 *
 *   in:  "key CODE 1", "key CODE 0"    presses, releases the evdev key CODE
 *        "selection"                   asks for the clipboard's text
 *        "close TITLE"                 sends the close request to the window of that title
 *   out: "ready"                       once the compositor takes clients
 *        "windows\tAPP\tTITLE..."      the windows and menus on the screen, top first,
 *                                      whenever they change (a menu has neither)
 *        "focus\tAPP\tTITLE"            the window or menu that the keyboard types into
 *                                      ("focus" alone: none), whenever that changes
 *        "selection TEXT"              the clipboard's text; "selection" alone when none
 *
 * Loaded with --modules, which calls wet_module_init. */
#include <libweston/libweston.h>
#include <libweston/version.h>
/* Weston 12 took the desktop library into libweston. */
#if WESTON_VERSION_MAJOR >= 12
#include <libweston/desktop.h>
#else
#include <libweston-desktop/libweston-desktop.h>
#endif

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* Exported by libweston, declared only in its private header. */
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* compositor,
                      const char* name);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);
void notify_key(struct weston_seat* seat, const struct timespec* time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update);

struct driver {
    struct weston_compositor* compositor;
    struct weston_seat seat;
    struct wl_listener frame;
    struct wl_listener focus;
    struct wl_event_source* commands;
    char input[4096];
    size_t inputLength;
    char* windows; /* the last "windows" line written */
    struct wl_event_source* selectionReader;
    char selection[4096];
    size_t selectionLength;
};

static void ready(void* data)
{
    (void)data;
    printf("ready\n");
}

/* Writes a window's app id and title, each after a tab. */
static void printWindow(FILE* out, struct weston_desktop_surface* window)
{
    const char* appId = weston_desktop_surface_get_app_id(window);
    const char* title = weston_desktop_surface_get_title(window);
    fprintf(out, "\t%s\t%s", appId ? appId : "", title ? title : "");
}

/* After every repaint, as that is when a window shows, goes or takes a new title. */
static void reportWindows(struct wl_listener* listener, void* data)
{
    (void)data;
    struct driver* driver = wl_container_of(listener, driver, frame);
    char* line = NULL;
    size_t size = 0;
    FILE* out = open_memstream(&line, &size);
    if (!out)
        return;
    fputs("windows", out);
    struct weston_view* view;
    wl_list_for_each(view, &driver->compositor->view_list, link)
    {
        if (!weston_surface_is_desktop_surface(view->surface))
            continue; /* the shell's own panel and background */
        printWindow(out, weston_surface_get_desktop_surface(view->surface));
    }
    fclose(out);
    if (!driver->windows || strcmp(line, driver->windows) != 0) {
        printf("%s\n", line);
        free(driver->windows);
        driver->windows = line;
    } else {
        free(line);
    }
}

static void reportFocus(struct wl_listener* listener, void* data)
{
    (void)listener;
    struct weston_keyboard* keyboard = data;
    fputs("focus", stdout);
    if (keyboard->focus && weston_surface_is_desktop_surface(keyboard->focus))
        printWindow(stdout, weston_surface_get_desktop_surface(keyboard->focus));
    fputs("\n", stdout);
}

static int readSelection(int fd, uint32_t mask, void* data)
{
    (void)mask;
    struct driver* driver = data;
    size_t room = sizeof driver->selection - 1 - driver->selectionLength;
    ssize_t got = read(fd, driver->selection + driver->selectionLength, room);
    if (got > 0) {
        driver->selectionLength += (size_t)got;
        return 0;
    }
    /* The owner has written all and closed its end. */
    driver->selection[driver->selectionLength] = '\0';
    printf("selection %s\n", driver->selection);
    wl_event_source_remove(driver->selectionReader);
    driver->selectionReader = NULL;
    close(fd);
    return 0;
}

/* The clipboard's owner writes its text into a pipe, as for any client that pastes. */
static void askSelection(struct driver* driver)
{
    struct weston_data_source* source = driver->seat.selection_data_source;
    const char* type = NULL;
    if (source) {
        const char* const* offered;
        wl_array_for_each(offered, &source->mime_types)
        {
            if (strncmp(*offered, "text/plain", strlen("text/plain")) == 0) {
                type = *offered;
                break;
            }
        }
    }
    int ends[2];
    if (!type || driver->selectionReader || pipe2(ends, O_CLOEXEC) != 0) {
        printf("selection\n");
        return;
    }
    driver->selectionLength = 0;
    struct wl_event_loop* loop = wl_display_get_event_loop(driver->compositor->wl_display);
    driver->selectionReader =
        wl_event_loop_add_fd(loop, ends[0], WL_EVENT_READABLE, readSelection, driver);
    source->send(source, type, ends[1]); /* closes the write end once sent */
}

static void closeWindow(struct driver* driver, const char* title)
{
    struct weston_view* view;
    wl_list_for_each(view, &driver->compositor->view_list, link)
    {
        if (!weston_surface_is_desktop_surface(view->surface))
            continue;
        struct weston_desktop_surface* window = weston_surface_get_desktop_surface(view->surface);
        const char* its = weston_desktop_surface_get_title(window);
        if (its && strcmp(its, title) == 0) {
            weston_desktop_surface_close(window);
            return;
        }
    }
}

static void runCommand(struct driver* driver, const char* command)
{
    unsigned key, pressed;
    if (sscanf(command, "key %u %u", &key, &pressed) == 2) {
        struct timespec now;
        weston_compositor_get_time(&now);
        notify_key(&driver->seat, &now, key,
                   pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED,
                   STATE_UPDATE_AUTOMATIC);
    } else if (strcmp(command, "selection") == 0) {
        askSelection(driver);
    } else if (strncmp(command, "close ", strlen("close ")) == 0) {
        closeWindow(driver, command + strlen("close "));
    } else {
        weston_log("westondriver: unknown command \"%s\"\n", command);
    }
}

static int readCommands(int fd, uint32_t mask, void* data)
{
    (void)mask;
    struct driver* driver = data;
    ssize_t got = read(fd, driver->input + driver->inputLength,
                       sizeof driver->input - 1 - driver->inputLength);
    if (got <= 0) {
        /* The test has gone, and with it the compositor's reason to run. */
        wl_event_source_remove(driver->commands);
        weston_compositor_exit(driver->compositor);
        return 0;
    }
    driver->inputLength += (size_t)got;
    driver->input[driver->inputLength] = '\0';
    char* start = driver->input;
    for (char* end; (end = strchr(start, '\n'));) {
        *end = '\0';
        runCommand(driver, start);
        start = end + 1;
    }
    driver->inputLength -= (size_t)(start - driver->input);
    memmove(driver->input, start, driver->inputLength);
    return 0;
}

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[])
{
    (void)argc;
    (void)argv;
    /* The headless backend has made its one output by now. */
    if (wl_list_empty(&compositor->output_list))
        return -1;
    struct driver* driver = calloc(1, sizeof *driver);
    if (!driver)
        return -1;
    driver->compositor = compositor;
    /* A line at a time, so that the test reads each whole once it is told. */
    setvbuf(stdout, NULL, _IOLBF, 0);
    /* A key held while the test waits for a menu must not repeat. */
    compositor->kb_repeat_rate = 0;
    weston_seat_init(&driver->seat, compositor, "test");
    if (weston_seat_init_keyboard(&driver->seat, NULL) != 0)
        return -1;

    driver->focus.notify = reportFocus;
    wl_signal_add(&weston_seat_get_keyboard(&driver->seat)->focus_signal, &driver->focus);
    struct weston_output* output = wl_container_of(compositor->output_list.next, output, link);
    driver->frame.notify = reportWindows;
    wl_signal_add(&output->frame_signal, &driver->frame);

    struct wl_event_loop* loop = wl_display_get_event_loop(compositor->wl_display);
    driver->commands =
        wl_event_loop_add_fd(loop, STDIN_FILENO, WL_EVENT_READABLE, readCommands, driver);
    wl_event_loop_add_idle(loop, ready, NULL);
    return 0;
}
