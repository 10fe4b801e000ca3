// The Xlib implementation of the editor's platform layer: the real one of the
// Linux plug-in. Its presence marks the layer (CurrentPlatform.cpp).
//
// The host gives its parent window's id as the parent handle. Each editor
// window is a child of it on a connection of the editor's own, which only the
// thread that opened the editor uses. Nothing arrives by itself: the host's
// idle calls poll the connection (pollEvents) and run the due timer ticks by
// the clock. The sheet is the software copy the headless layer draws into,
// so both show the same pixels. The host's frames belong to another client:
// the host is asked to fit them (hostFitsFrames).
#pragma once
#include "platform/Platform.h"
