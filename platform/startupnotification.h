#pragma once

namespace mensurio {

// Ends the launcher's busy cursor for a copy that shows no window: on X11 the startup
// notification's "remove" message for DESKTOP_STARTUP_ID. Wayland launchers need nothing.
// Runs before the toolkit starts, with a connection of its own to the X server, and waits
// for that server at most a second.
void endStartupNotification();

} // namespace mensurio
