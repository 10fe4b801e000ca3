// The plug-in's own window. Interface used by the engine; the editor's
// painting, mouse handling and platform layer live beside it.
#pragma once
#include "editor/AEffEditor.h"

class MaximizerEffect;

class MaximizerEditor : public AEffEditor {
public:
    explicit MaximizerEditor(MaximizerEffect* plugin);
    ~MaximizerEditor() override;
    VstInt32 getRect(ERect** rect) override;
    VstInt32 open(void* ptr) override;
    void close() override;
    void idle() override;
    void update() override;
    virtual void setParameterNotice(VstInt32 index, float value);  // 7: does nothing, never called

    // Idle state and the start-up parameter values, meters and channel panel.
    void reset();
    // Resizes the window to the EQ Display height and fits the host's frames.
    void fitHostWindow();

    MaximizerEffect* plugin;
};
