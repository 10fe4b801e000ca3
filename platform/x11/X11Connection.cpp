#include "platform/x11/X11Connection.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace platform::x11 {

namespace {

struct Connection {
    Display* display;
    unsigned long errors;
    bool lost;
};

// The handlers run on whichever thread met the error, the host's included.
std::mutex registryLock;
std::vector<Connection> connections;

// One of Xlib's process-wide handlers: ours is installed over the one that
// was there, which gets every error that is not ours.
template <typename Handler>
struct HandlerSlot {
    Handler (*set)(Handler);
    std::atomic<Handler> previous{nullptr};
    // Another handler went over ours and may call ours in turn: ours then
    // stays below it for good, so no chain ever leads back to itself.
    bool underAnother = false;

    void install(Handler ours) {
        if (!underAnother) previous = set(ours);
    }
    void uninstall(Handler ours) {
        if (underAnother) return;
        const Handler current = set(previous.load());
        if (current != ours) {
            set(current);
            underAnother = true;
        }
    }
};
HandlerSlot<XErrorHandler> errorSlot{XSetErrorHandler};
HandlerSlot<XIOErrorHandler> ioErrorSlot{XSetIOErrorHandler};

// Held while the slots change; the handlers never take it.
std::mutex installLock;
int users = 0;

Connection* find(Display* display) {
    auto it = std::find_if(connections.begin(), connections.end(),
                           [display](const Connection& c) { return c.display == display; });
    return it == connections.end() ? nullptr : &*it;
}

int onError(Display* display, XErrorEvent* error) {
    {
        std::lock_guard<std::mutex> hold(registryLock);
        if (Connection* c = find(display)) {
            ++c->errors;
            return 0;
        }
    }
    XErrorHandler previous = errorSlot.previous.load();
    return previous ? previous(display, error) : 0;
}

// Xlib calls the exit handler after this one; for our connections both return.
int onIOError(Display* display) {
    {
        std::lock_guard<std::mutex> hold(registryLock);
        if (Connection* c = find(display)) {
            c->lost = true;
            return 0;
        }
    }
    XIOErrorHandler previous = ioErrorSlot.previous.load();
    return previous ? previous(display) : 0;
}

void stayAlive(Display*, void*) {}

void install() {
    std::lock_guard<std::mutex> hold(installLock);
    if (users++ > 0) return;
    errorSlot.install(onError);
    ioErrorSlot.install(onIOError);
}

void uninstall() {
    std::lock_guard<std::mutex> hold(installLock);
    if (--users > 0) return;
    errorSlot.uninstall(onError);
    ioErrorSlot.uninstall(onIOError);
}

template <typename T>
T read(Display* display, T Connection::*field) {
    std::lock_guard<std::mutex> hold(registryLock);
    const Connection* c = find(display);
    return c ? c->*field : T{};
}

}  // namespace

Display* openConnection() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    {
        std::lock_guard<std::mutex> hold(registryLock);
        connections.push_back({display, 0, false});
    }
    install();
    XSetIOErrorExitHandler(display, stayAlive, nullptr);
    return display;
}

void closeConnection(Display* display) {
    if (!display) return;
    XCloseDisplay(display);  // its last errors still reach our handlers
    {
        std::lock_guard<std::mutex> hold(registryLock);
        if (Connection* c = find(display)) connections.erase(connections.begin() + (c - connections.data()));
    }
    uninstall();
}

unsigned long errorCount(Display* display) { return read(display, &Connection::errors); }
bool connectionLost(Display* display) { return read(display, &Connection::lost); }

}  // namespace platform::x11
