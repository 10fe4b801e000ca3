// The editor window's life cycle on the headless platform: rectangle, class
// registration, opening and closing, failures, the timer and message
// routing, and fitting the host's frames.
#include "tests/support/Checks.h"
#include <thread>

#include "tests/editor_support.h"

using namespace editortest;
using platform::WindowMessage;

TEST_CASE("getRect answers 1 with 512 x 133 or 512 x 218 by EQ Display" * doctest::test_suite("editor.window")) {
    Rig rig(false);
    ERect* rect = nullptr;
    CHECK_EQ(rig.plugin->getEditor()->getRect(&rect), 1);
    CHECK(rect != nullptr);
    CHECK_EQ(rect->top, 0);
    CHECK_EQ(rect->left, 0);
    CHECK_EQ(rect->bottom, 133);
    CHECK_EQ(rect->right, 512);
    rig.set(kEqDisplay, 1.0f);
    rig.plugin->getEditor()->getRect(&rect);
    CHECK_EQ(rect->bottom, 218);
    rig.set(kEqDisplay, 1e30f);  // a stored value out of range must not index past the heights
    rig.plugin->getEditor()->getRect(&rect);
    CHECK_EQ(rect->bottom, 218);
}

TEST_CASE("reset writes the start-up values and meters without telling the host" *
          doctest::test_suite("editor.window")) {
    Rig rig(false);
    rig.set(kOutGain, 5.0f);
    rig.editor->meter[0].peak = 3.0f;
    rig.editor->meter[1].reduction = 0.2f;
    rig.editor->channelPanelOpen = 1;
    automations().clear();
    rig.editor->reset();
    for (int i = 0; i < kNumParams; ++i) CHECK_EQ(rig.value(i), kDefaults[i]);
    CHECK_EQ(rig.editor->meter[0].peak, 0.0f);
    CHECK_EQ(rig.editor->meter[1].reduction, 1.0f);
    CHECK_EQ(rig.editor->channelPanelOpen, 0);
    CHECK_EQ(rig.editor->isOpen, 0);
    CHECK(automations().empty());
}

TEST_CASE("open creates the child window, timer and sheet; close undoes all of it" *
          doctest::test_suite("editor.window")) {
    Rig rig(false);
    CHECK_EQ(rig.plugin->getEditor()->open(rig.frame), 1);
    auto* w = rig.platform.lastWindowOfClass("Hokclass");
    CHECK(w != nullptr);
    if (!w) return;
    CHECK_STR(w->title, "Hok");
    CHECK(w->parent == rig.frame);
    CHECK_EQ(w->rect.width(), 512);
    CHECK_EQ(w->rect.height(), 133);
    CHECK(w->userData == rig.editor);
    CHECK_EQ(w->timers.size(), size_t(1));
    CHECK_EQ(rig.editor->timerId, uintptr_t(1));
    CHECK_EQ(rig.editor->isOpen, 1);
    CHECK(rig.plugin->getEditor()->systemWindow == rig.frame);
    CHECK_EQ(rig.platform.liveSheets, 1);

    rig.editor->close();
    CHECK_EQ(rig.editor->isOpen, 0);
    CHECK(!rig.platform.isAlive(w));
    CHECK_EQ(rig.platform.liveSheets, 0);
    CHECK(!rig.platform.isClassRegistered("Hokclass"));
    rig.editor->close();  // a second close does nothing
    CHECK_EQ(rig.platform.unregistrations, 1);

    // Reopening works and loads the sheet anew.
    CHECK_EQ(rig.plugin->getEditor()->open(rig.frame), 1);
    CHECK_EQ(rig.platform.liveSheets, 1);
    CHECK_EQ(rig.platform.registrations, 2);
}

TEST_CASE("the class is registered once for two open editors and unregistered after the last" *
          doctest::test_suite("editor.window")) {
    Rig a(false);
    // The second plug-in on the same platform.
    MaximizerEffectWithEditor* second = static_cast<MaximizerEffectWithEditor*>(createEffectInstance(host)->object);
    a.editor->open(a.frame);
    second->editorView->open(a.frame);
    CHECK_EQ(a.platform.registrations, 1);
    CHECK_EQ(editorClassUsers, 2);
    a.editor->close();
    CHECK(a.platform.isClassRegistered("Hokclass"));
    second->editorView->close();
    CHECK(!a.platform.isClassRegistered("Hokclass"));
    CHECK_EQ(editorClassUsers, 0);
    delete second;
}

TEST_CASE("failed window creation or sheet loading leaves the editor closed and safe" *
          doctest::test_suite("editor.window")) {
    {
        Rig rig(false);
        rig.platform.failWindowCreation = true;
        CHECK_EQ(rig.editor->open(rig.frame), 0);
        CHECK_EQ(rig.editor->isOpen, 0);
        CHECK_EQ(editorClassUsers, 0);
        CHECK(!rig.platform.isClassRegistered("Hokclass"));
        rig.editor->timerTick();
        rig.editor->paint();
        rig.editor->fitHostWindow();
        CHECK_EQ(rig.platform.presents, 0);
        rig.editor->close();
        CHECK_EQ(rig.platform.unregistrations, 1);
    }
    {
        Rig rig(false);
        rig.platform.sheetSource = nullptr;  // the bitmap cannot be loaded
        CHECK_EQ(rig.editor->open(rig.frame), 0);
        CHECK_EQ(rig.editor->isOpen, 0);
        CHECK(rig.platform.lastWindowOfClass("Hokclass") == nullptr);  // the window went again
        CHECK_EQ(editorClassUsers, 0);
        CHECK_EQ(rig.platform.liveSheets, 0);
        rig.editor->paint();
        CHECK_EQ(rig.platform.presents, 0);
    }
    {
        // No parent window: creation fails as a child window without parent does.
        Rig rig(false);
        CHECK_EQ(rig.editor->open(nullptr), 0);
        CHECK_EQ(rig.editor->isOpen, 0);
    }
}

TEST_CASE("destroying the plug-in with its editor open closes the editor first" *
          doctest::test_suite("editor.window")) {
    Rig rig;
    CHECK(rig.platform.isAlive(rig.window));
    delete rig.plugin;
    rig.plugin = nullptr;
    CHECK(!rig.platform.isAlive(rig.window));
    CHECK_EQ(rig.platform.liveSheets, 0);
    CHECK(!rig.platform.isClassRegistered("Hokclass"));
    CHECK_EQ(editorClassUsers, 0);
    // A stray message to the destroyed window reaches nobody.
    CHECK(rig.platform.send(rig.window, WindowMessage::Timer, 0, 0, 1).useDefault);
}

TEST_CASE("window messages: paint, erase, timers, mouse capture and default handling" *
          doctest::test_suite("editor.window")) {
    Rig rig;
    const int before = rig.platform.presents;
    CHECK(rig.platform.send(rig.window, WindowMessage::Paint).useDefault);
    CHECK_EQ(rig.platform.presents, before + 1);
    const auto erase = rig.platform.send(rig.window, WindowMessage::EraseBackground);
    CHECK(!erase.useDefault);
    CHECK_EQ(erase.result, 1);
    CHECK_EQ(rig.platform.presents, before + 2);
    rig.platform.send(rig.window, WindowMessage::Timer, 0, 0, 7);  // not our timer
    CHECK_EQ(rig.platform.presents, before + 2);
    rig.tick();
    CHECK_EQ(rig.platform.presents, before + 3);

    rig.move(10, 20);
    CHECK_EQ(rig.platform.arrowCursorSets, 1);
    rig.press(300, 300);
    CHECK(rig.platform.captured == rig.window);
    rig.release();
    CHECK(rig.platform.captured == nullptr);
    rig.press(300, 300, false);
    CHECK(rig.platform.captured == rig.window);
    rig.release(false);
    CHECK(rig.platform.captured == nullptr);

    // Messages to a window without an editor attached go to default handling only.
    auto* bare = rig.platform.createHostWindow("Other", rig.frame, {0, 0, 10, 10});
    CHECK(rig.platform.send(bare, WindowMessage::EraseBackground).useDefault);
    CHECK_EQ(rig.platform.presents, before + 3);
}

TEST_CASE("the frame is skipped when the window's context cannot be had" * doctest::test_suite("editor.window")) {
    Rig rig;
    rig.editor->channelPanelOpen = 1;
    rig.meters().setChannels(1, 0, 0);
    rig.editor->meter[0].peak = 0.5f;
    rig.platform.failWindowContext = true;
    const int before = rig.platform.presents;
    rig.tick();
    CHECK_EQ(rig.platform.presents, before);
    CHECK_EQ(rig.editor->channelPanelFrame, 0);
    CHECK_EQ(rig.editor->meter[0].peak, 0.5f);
}

TEST_CASE("a second open without close moves the editor to the new parent" * doctest::test_suite("editor.window")) {
    Rig rig;
    auto* other = rig.platform.createHostWindow("HostFrame", nullptr, {0, 0, 700, 500});
    CHECK_EQ(rig.editor->open(other), 1);
    CHECK(!rig.platform.isAlive(rig.window));
    auto* w = rig.platform.lastWindowOfClass("Hokclass");
    CHECK((w && w->parent == other));
    CHECK_EQ(editorClassUsers, 1);
    CHECK_EQ(rig.platform.liveSheets, 1);
}

// --- Fitting the host's frames ---

namespace {
// editor window (512 x H) in `frame` (512+dw x H+dh) in `outer` (1000 x 1000
// unless given).
struct FitRig : Rig {
    platform::HeadlessWindow* outer;
    platform::HeadlessWindow* inner;
    FitRig(int32_t dw, int32_t dh, const char* innerClass, int32_t dialogFrame, int32_t outerW = 1000,
           int32_t outerH = 1000)
        : Rig(false) {
        platform.dialogFrame = dialogFrame;
        outer = platform.createHostWindow("Outer", nullptr, {0, 0, outerW, outerH});
        inner = platform.createHostWindow(innerClass, outer, {10, 20, 10 + 512 + dw, 20 + 133 + dh});
        frame = inner;
        open();
    }
    // Opens the EQ rows and fits the host's frames around the taller window.
    void fitOpenEq() {
        set(kEqDisplay, 1.0f);
        editor->fitHostWindow();
    }
};
}  // namespace

TEST_CASE("a frame 6 pixels wider is fitted and the walk stops there" * doctest::test_suite("editor.fit")) {
    FitRig rig(6, 25, "HostFrame", 3);
    rig.fitOpenEq();
    CHECK_EQ(rig.window->rect.width(), 512);
    CHECK_EQ(rig.window->rect.height(), 218);
    CHECK_EQ(rig.inner->rect.width(), 518);
    CHECK_EQ(rig.inner->rect.height(), 218 + 25);
    CHECK_EQ(rig.inner->rect.left, 10);  // position kept
    CHECK_EQ(rig.outer->resizeCount, 0);
}

TEST_CASE("a frame with another excess is fitted and the walk goes on to its parent" *
          doctest::test_suite("editor.fit")) {
    FitRig rig(10, 30, "Inner", 3, 512 + 10 + 6, 133 + 30 + 40);
    rig.fitOpenEq();
    CHECK_EQ(rig.inner->rect.width(), 522);
    CHECK_EQ(rig.inner->rect.height(), 248);
    // The outer window gets 512 + its own excess over the inner one (6), not the sum.
    CHECK_EQ(rig.outer->rect.width(), 518);
    CHECK_EQ(rig.outer->rect.height(), 218 + 40);
}

TEST_CASE("a much larger frame, an MDI client and a zero dialog frame end the walk" *
          doctest::test_suite("editor.fit")) {
    struct Frame {
        int32_t dw;
        const char* innerClass;
        int32_t dialogFrame;
    };
    for (const Frame& f : {Frame{300, "HostFrame", 3}, Frame{6, "MDIClient", 3}, Frame{6, "HostFrame", 0}}) {
        FitRig rig(f.dw, 25, f.innerClass, f.dialogFrame);
        rig.fitOpenEq();
        INFO(f.innerClass, " ", f.dw, " wider, dialog frame ", f.dialogFrame);
        CHECK_EQ(rig.inner->resizeCount, 0);
        CHECK_EQ(rig.inner->rect.width(), 512 + f.dw);
        CHECK_EQ(rig.outer->resizeCount, 0);
        CHECK_EQ(rig.window->rect.height(), 218);
    }
}

TEST_CASE("fitHostWindow while closed is ignored" * doctest::test_suite("editor.fit")) {
    FitRig rig(6, 25, "HostFrame", 3);
    auto* w = rig.window;
    rig.editor->close();
    rig.fitOpenEq();
    CHECK_EQ(rig.inner->resizeCount, 0);
    CHECK_EQ(w->resizeCount, 0);
}

TEST_CASE("a refit asked for on another thread waits for the window's own timer tick" *
          doctest::test_suite("editor.fit")) {
    FitRig rig(6, 25, "HostFrame", 3);
    std::thread automation([&] { rig.plugin->setParameter(kEqDisplay, 1.0f); });
    automation.join();
    CHECK_EQ(rig.inner->resizeCount, 0);  // not touched from the other thread
    CHECK_EQ(rig.window->rect.height(), 133);
    rig.tick();
    CHECK_EQ(rig.window->rect.height(), 218);
    CHECK_EQ(rig.inner->rect.height(), 218 + 25);
    int resizes = rig.inner->resizeCount;
    rig.tick();  // done once only
    CHECK_EQ(rig.inner->resizeCount, resizes);
}

TEST_CASE("a host that destroys its window first: the editor closes itself and never touches it again" *
          doctest::test_suite("editor.window")) {
    Rig rig;
    rig.tick();
    CHECK_EQ(rig.platform.liveSheets, 1);
    rig.platform.destroyWindow(rig.frame);  // the host's frame, with the editor's child in it
    CHECK_EQ(rig.editor->isOpen, 0);
    CHECK_EQ(rig.platform.liveSheets, 0);
    CHECK_EQ(editorClassUsers, 0);
    rig.plugin->getEditor()->close();  // the host's late effEditClose
    rig.plugin->setParameter(kEqDisplay, 1.0f);  // a refit would need the window
    CHECK_EQ(rig.platform.staleDestroys, 0);
    auto* other = rig.platform.createHostWindow("HostFrame", nullptr, {0, 0, 600, 400});
    CHECK_EQ(rig.plugin->getEditor()->open(other), 1);
    CHECK(rig.platform.lastWindowOfClass("Hokclass") != nullptr);
}
