// X events as the editor's window messages. Buttons 1 and 3 are the left and
// right buttons; positions are the window's own, packed as the editor reads
// them (x low, y high, both signed 16 bits).
#include "platform/x11/X11Window.h"

namespace platform::x11 {

namespace {

struct ButtonMessage {
    int type;
    unsigned int button;
    WindowMessage message;
};
constexpr ButtonMessage kButtons[] = {
    {ButtonPress, Button1, WindowMessage::LeftButtonDown},
    {ButtonRelease, Button1, WindowMessage::LeftButtonUp},
    {ButtonPress, Button3, WindowMessage::RightButtonDown},
    {ButtonRelease, Button3, WindowMessage::RightButtonUp},
};

int32_t packed(int x, int y) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}

}  // namespace

EventMeaning meaningOf(const XEvent& event, Window self) {
    EventMeaning m;
    switch (event.type) {
        case Expose:
            // One paint for a series of exposed rectangles.
            if (event.xexpose.count == 0) m.message = WindowMessage::Paint;
            break;
        case ButtonPress:
        case ButtonRelease:
            for (const ButtonMessage& b : kButtons)
                if (b.type == event.type && b.button == event.xbutton.button) {
                    m.message = b.message;
                    m.packedPosition = packed(event.xbutton.x, event.xbutton.y);
                }
            break;
        case MotionNotify:
            m.message = WindowMessage::MouseMove;
            m.packedPosition = packed(event.xmotion.x, event.xmotion.y);
            break;
        case EnterNotify:
        case LeaveNotify:
            m.crossing = true;
            break;
        case ConfigureNotify:
            if (event.xconfigure.window == self) {
                m.width = event.xconfigure.width;
                m.height = event.xconfigure.height;
            }
            break;
        case DestroyNotify:
            m.destroyed = event.xdestroywindow.window == self;
            break;
        default: break;
    }
    return m;
}

}  // namespace platform::x11
