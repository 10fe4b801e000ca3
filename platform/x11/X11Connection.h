// The editor's own connections to the X server, kept under error handlers of
// ours: Xlib's handlers are process-wide, so ours answer for our connections
// only and pass every other connection's errors on to the handlers that were
// there before (the host's, or Xlib's defaults). An error on our connection,
// even a broken connection, never ends the host's process.
#pragma once
#include <X11/Xlib.h>

namespace platform::x11 {

// Opens a connection to the display that DISPLAY names and puts it under our
// handlers; null when there is none.
Display* openConnection();
// Closes the connection; with the last one closed the earlier handlers are
// put back, unless another handler was installed over ours meanwhile: ours
// then stays below it, passing on what is not ours.
void closeConnection(Display* display);

// Protocol errors on the connection so far.
unsigned long errorCount(Display* display);
// True once the connection broke (server gone, client killed). Xlib then
// answers every call on it at once; only closing it is left to do.
bool connectionLost(Display* display);

}  // namespace platform::x11
