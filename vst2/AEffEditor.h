// The editor base class: the effect it belongs to, the host's parent window
// and the update flag. Virtual operations in slot order.
#pragma once
#include <cstdint>

#include "vst2/AEffect.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor();                 // 0
    virtual VstInt32 getRect(ERect** rect);  // 1
    virtual VstInt32 open(void* ptr);      // 2
    virtual void close();                  // 3
    virtual void idle();                   // 4
    virtual void update();                 // 5
    virtual void postUpdate();             // 6

    AudioEffect* effect;
    void* systemWindow;
    int32_t updateFlag;
};
