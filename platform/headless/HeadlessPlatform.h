// The headless platform: an in-memory window tree (class names, screen
// rectangles, parents, user data) whose timer expiries and mouse messages the
// caller delivers, and a software copy of the sprite sheet. Used by the Linux
// build and by the tests of every build.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Image.h"
#include "platform/Platform.h"

namespace platform {

struct HeadlessWindow {
    std::string className;
    std::string title;
    HeadlessWindow* parent = nullptr;
    ScreenRect rect;
    void* userData = nullptr;
    std::vector<uintptr_t> timers;
    bool alive = true;
    bool destroying = false;  // between the destroy notice to the editor and the teardown
    int resizeCount = 0;
    Image surface;  // what was last presented to the window (its client area)
};

struct Sheet {
    Image image;
    HeadlessWindow* window = nullptr;
};

class HeadlessPlatform : public Platform {
public:
    // Supplies the decoded bitmap for a resource identifier; false when
    // missing. By default the library's embedded sprite sheet.
    using SheetSource = std::function<bool(int32_t resourceId, Image& image)>;

    HeadlessPlatform();
    ~HeadlessPlatform() override;

    bool registerWindowClass(const char* className) override;
    void unregisterWindowClass(const char* className) override;
    WindowHandle createChildWindow(const char* className, const char* title, WindowHandle parent,
                                   int32_t width, int32_t height) override;
    void destroyWindow(WindowHandle window) override;
    void setUserData(WindowHandle window, void* data) override;
    void* userData(WindowHandle window) override;
    uintptr_t startTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) override;
    void stopTimer(WindowHandle window, uintptr_t id) override;
    void captureMouse(WindowHandle window) override;
    void releaseMouse() override;
    void setArrowCursor() override;
    WindowHandle parentWindow(WindowHandle window) override;
    int32_t windowClassName(WindowHandle window, char* name, int32_t size) override;
    bool windowScreenRect(WindowHandle window, ScreenRect& rect) override;
    void resizeWindow(WindowHandle window, int32_t width, int32_t height) override;
    int32_t dialogFrameHeight() override { return dialogFrame; }
    Sheet* loadSheet(WindowHandle window, int32_t resourceId) override;
    void releaseSheet(Sheet* sheet) override;
    void copyRect(Sheet* sheet, int32_t srcX, int32_t srcY, int32_t width, int32_t height, int32_t dstX,
                  int32_t dstY) override;
    void fillBlack(Sheet* sheet, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void* acquireWindowContext(WindowHandle window) override;
    void present(void* context, Sheet* sheet, int32_t width, int32_t height) override;
    void releaseWindowContext(WindowHandle window, void* context) override;

    // --- Driving the tree from outside ---

    // A window of the host (frame, MDI client, ...), in screen coordinates.
    HeadlessWindow* createHostWindow(const char* className, HeadlessWindow* parent, ScreenRect rect);
    // Delivers a message to a window's procedure as the system would; returns
    // what the procedure answered.
    MessageResult send(HeadlessWindow* window, WindowMessage message, int32_t x = 0, int32_t y = 0,
                       uintptr_t timerId = 0);
    // Delivers one expiry of every timer running on the window.
    void tick(HeadlessWindow* window);
    // The live window created with this class name most recently, or null.
    HeadlessWindow* lastWindowOfClass(const char* className);
    bool isAlive(WindowHandle window) const;
    bool isClassRegistered(const std::string& className) const;

    // --- Settings and observations for tests ---
    SheetSource sheetSource;
    int32_t dialogFrame = 3;
    bool failWindowCreation = false;
    bool failWindowContext = false;
    int registrations = 0;        // successful registerWindowClass calls
    int unregistrations = 0;
    int liveSheets = 0;           // loaded and not yet released
    int presents = 0;
    int staleDestroys = 0;        // destroyWindow on a window that was already gone
    int arrowCursorSets = 0;
    HeadlessWindow* captured = nullptr;

private:
    HeadlessWindow* live(WindowHandle window) const;
    std::vector<std::unique_ptr<HeadlessWindow>> windows;
    std::map<std::string, int> classes;
};

// The process's headless platform object as its concrete type.
HeadlessPlatform& headlessPlatformObject();

}  // namespace platform
