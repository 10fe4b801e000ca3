// The VST 2 face of the editor: the AEffEditor the dispatcher talks to
// (rectangle, open, close, idle), forwarding to the format-free editor.
#pragma once
#include "editor/MaximizerEditor.h"
#include "vst2/AEffEditor.h"

class VstEditor : public AEffEditor {
public:
    VstEditor(AudioEffect* effect, MaximizerEngine& engine, EditorLink& link);
    ~VstEditor() override;
    VstInt32 getRect(ERect** rect) override;
    VstInt32 open(void* ptr) override;
    void close() override;
    void idle() override;
    void update() override;
    virtual void setParameterNotice(VstInt32 index, float value);  // 7: does nothing, never called

    MaximizerEditor editor;
};

// The rectangle handed to the host; its bottom follows EQ Display.
extern ERect editorRect;
