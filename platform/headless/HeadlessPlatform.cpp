// The in-memory window tree and software sprite sheet.
#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <cstring>

#include "resources/SkinResource.h"

namespace platform {

namespace {
// The library's own sprite sheet, from the embedded bitmap file.
bool embeddedSheet(int32_t resourceId, Image& image) {
    return resourceId == kSkinResourceId && decodeBmp24(skinResourceBytes(), skinResourceSize(), image);
}
}  // namespace

HeadlessPlatform::HeadlessPlatform() : sheetSource(embeddedSheet) {}
HeadlessPlatform::~HeadlessPlatform() = default;

HeadlessWindow* HeadlessPlatform::live(WindowHandle window) const {
    if (!window) return nullptr;
    for (const auto& w : windows)
        if (w.get() == window) return w->alive ? w.get() : nullptr;
    return nullptr;
}

bool HeadlessPlatform::isAlive(WindowHandle window) const { return live(window) != nullptr; }

bool HeadlessPlatform::isClassRegistered(const std::string& className) const {
    return classes.count(className) != 0;
}

bool HeadlessPlatform::registerWindowClass(const char* className) {
    if (!className || classes.count(className)) return false;  // the system refuses duplicates
    classes[className] = 1;
    ++registrations;
    return true;
}

void HeadlessPlatform::unregisterWindowClass(const char* className) {
    if (className && classes.erase(className)) ++unregistrations;
}

WindowHandle HeadlessPlatform::createChildWindow(const char* className, const char* title, WindowHandle parent,
                                                 int32_t width, int32_t height) {
    HeadlessWindow* p = live(parent);
    if (failWindowCreation || !p || !className || !classes.count(className)) return nullptr;
    auto w = std::make_unique<HeadlessWindow>();
    w->className = className;
    w->title = title ? title : "";
    w->parent = p;
    w->rect = {p->rect.left, p->rect.top, p->rect.left + width, p->rect.top + height};
    windows.push_back(std::move(w));
    return windows.back().get();
}

void HeadlessPlatform::destroyWindow(WindowHandle window) {
    HeadlessWindow* w = live(window);
    if (!w) {
        // A handle the system no longer knows: a real system might have
        // handed it to another window meanwhile.
        for (const auto& known : windows)
            if (known.get() == window && !known->destroying) ++staleDestroys;
        return;
    }
    if (w->destroying) return;
    // As the systems do, the window's procedure hears of its end first.
    if (w->userData) {
        w->destroying = true;
        editorWindowProc(w, WindowMessage::Destroyed, 0, 0);
        w->destroying = false;
    }
    w->alive = false;
    w->timers.clear();
    w->userData = nullptr;
    if (captured == w) captured = nullptr;
    // Children go with their parent.
    for (const auto& other : windows)
        if (other->alive && other->parent == w) destroyWindow(other.get());
}

void HeadlessPlatform::setUserData(WindowHandle window, void* data) {
    if (HeadlessWindow* w = live(window)) w->userData = data;
}

void* HeadlessPlatform::userData(WindowHandle window) {
    HeadlessWindow* w = live(window);
    return w ? w->userData : nullptr;
}

uintptr_t HeadlessPlatform::startTimer(WindowHandle window, uintptr_t id, uint32_t) {
    HeadlessWindow* w = live(window);
    if (!w || id == 0) return 0;
    if (std::find(w->timers.begin(), w->timers.end(), id) == w->timers.end()) w->timers.push_back(id);
    return id;
}

void HeadlessPlatform::stopTimer(WindowHandle window, uintptr_t id) {
    if (HeadlessWindow* w = live(window)) w->timers.erase(std::remove(w->timers.begin(), w->timers.end(), id), w->timers.end());
}

// As on the real system, the window that loses the capture is told so.
void HeadlessPlatform::captureMouse(WindowHandle window) {
    HeadlessWindow* previous = captured;
    captured = live(window);
    if (previous && previous != captured) send(previous, WindowMessage::CaptureLost);
}

void HeadlessPlatform::releaseMouse() {
    HeadlessWindow* previous = captured;
    captured = nullptr;
    if (previous) send(previous, WindowMessage::CaptureLost);
}
void HeadlessPlatform::setArrowCursor() { ++arrowCursorSets; }

WindowHandle HeadlessPlatform::parentWindow(WindowHandle window) {
    HeadlessWindow* w = live(window);
    return w ? live(w->parent) : nullptr;
}

int32_t HeadlessPlatform::windowClassName(WindowHandle window, char* name, int32_t size) {
    if (!name || size <= 0) return 0;
    name[0] = 0;
    HeadlessWindow* w = live(window);
    if (!w) return 0;
    const int32_t n = std::min<int32_t>(static_cast<int32_t>(w->className.size()), size - 1);
    std::memcpy(name, w->className.data(), static_cast<size_t>(n));
    name[n] = 0;
    return n;
}

bool HeadlessPlatform::windowScreenRect(WindowHandle window, ScreenRect& rect) {
    HeadlessWindow* w = live(window);
    if (!w) return false;
    rect = w->rect;
    return true;
}

void HeadlessPlatform::resizeWindow(WindowHandle window, int32_t width, int32_t height) {
    HeadlessWindow* w = live(window);
    if (!w) return;
    w->rect.right = w->rect.left + width;
    w->rect.bottom = w->rect.top + height;
    ++w->resizeCount;
}

Sheet* HeadlessPlatform::loadSheet(WindowHandle window, int32_t resourceId) {
    HeadlessWindow* w = live(window);
    if (!w || !sheetSource) return nullptr;
    auto sheet = std::make_unique<Sheet>();
    if (!sheetSource(resourceId, sheet->image) || sheet->image.width <= 0 || sheet->image.height <= 0)
        return nullptr;
    sheet->window = w;
    ++liveSheets;
    return sheet.release();
}

void HeadlessPlatform::releaseSheet(Sheet* sheet) {
    if (!sheet) return;
    --liveSheets;
    delete sheet;
}

void HeadlessPlatform::copyRect(Sheet* sheet, int32_t srcX, int32_t srcY, int32_t width, int32_t height,
                                int32_t dstX, int32_t dstY) {
    if (!sheet) return;
    Image& im = sheet->image;
    // Clip source and destination to the sheet.
    auto clipStart = [](int32_t& a, int32_t& b, int32_t& len) {
        const int32_t shift = std::max(0, std::max(-a, -b));
        a += shift;
        b += shift;
        len -= shift;
    };
    clipStart(srcX, dstX, width);
    clipStart(srcY, dstY, height);
    width = std::min({width, im.width - srcX, im.width - dstX});
    height = std::min({height, im.height - srcY, im.height - dstY});
    if (width <= 0 || height <= 0) return;
    // Row order chosen so that overlapping copies read before they write.
    const bool downward = dstY > srcY;
    for (int32_t i = 0; i < height; ++i) {
        const int32_t r = downward ? height - 1 - i : i;
        std::memmove(&im.at(dstX, dstY + r), &im.at(srcX, srcY + r), sizeof(uint32_t) * static_cast<size_t>(width));
    }
}

void HeadlessPlatform::fillBlack(Sheet* sheet, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!sheet) return;
    Image& im = sheet->image;
    const int32_t x0 = std::max(0, x), y0 = std::max(0, y);
    const int32_t x1 = std::min(im.width, x + width), y1 = std::min(im.height, y + height);
    for (int32_t row = y0; row < y1; ++row)
        for (int32_t col = x0; col < x1; ++col) im.at(col, row) = 0;
}

void* HeadlessPlatform::acquireWindowContext(WindowHandle window) {
    if (failWindowContext) return nullptr;
    return live(window);
}

void HeadlessPlatform::present(void* context, Sheet* sheet, int32_t width, int32_t height) {
    HeadlessWindow* w = live(context);
    if (!w || !sheet) return;
    const int32_t cw = w->rect.width(), ch = w->rect.height();
    if (w->surface.width != cw || w->surface.height != ch) w->surface.resize(std::max(0, cw), std::max(0, ch));
    const int32_t wCopy = std::min({width, cw, sheet->image.width});
    const int32_t hCopy = std::min({height, ch, sheet->image.height});
    for (int32_t row = 0; row < hCopy; ++row)
        for (int32_t col = 0; col < wCopy; ++col) w->surface.at(col, row) = sheet->image.at(col, row);
    ++presents;
}

void HeadlessPlatform::releaseWindowContext(WindowHandle, void*) {}

HeadlessWindow* HeadlessPlatform::createHostWindow(const char* className, HeadlessWindow* parent, ScreenRect rect) {
    auto w = std::make_unique<HeadlessWindow>();
    w->className = className ? className : "";
    w->parent = live(parent);
    w->rect = rect;
    windows.push_back(std::move(w));
    return windows.back().get();
}

MessageResult HeadlessPlatform::send(HeadlessWindow* window, WindowMessage message, int32_t x, int32_t y,
                                     uintptr_t timerId) {
    if (!live(window)) return {};
    const int32_t packed = static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                                                static_cast<uint16_t>(x));
    return editorWindowProc(window, message, timerId, packed);
}

void HeadlessPlatform::tick(HeadlessWindow* window) {
    if (!live(window)) return;
    const std::vector<uintptr_t> running = window->timers;
    for (uintptr_t id : running) send(window, WindowMessage::Timer, 0, 0, id);
}

HeadlessWindow* HeadlessPlatform::lastWindowOfClass(const char* className) {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->alive && (*it)->className == className) return it->get();
    return nullptr;
}

HeadlessPlatform& headlessPlatformObject() {
    static HeadlessPlatform instance;
    return instance;
}

Platform& headlessPlatform() { return headlessPlatformObject(); }

}  // namespace platform
