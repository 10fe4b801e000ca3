#include "vst2/VstEditor.h"

#include "editor/SkinLayout.h"

ERect editorRect = {0, 0, skin::kCompactHeight, skin::kWidth};

VstEditor::VstEditor(AudioEffect* effect, MaximizerEngine& engine, EditorLink& link)
    : AEffEditor(effect), editor(engine, link) {}

// The editor closes itself first, so no window or timer points at it.
VstEditor::~VstEditor() = default;

VstInt32 VstEditor::getRect(ERect** rect) {
    editorRect.bottom = static_cast<int16_t>(editor.height());
    if (rect) *rect = &editorRect;
    return 1;
}

VstInt32 VstEditor::open(void* parent) {
    systemWindow = parent;
    return editor.open(parent) ? 1 : 0;
}

void VstEditor::close() { editor.close(); }
void VstEditor::idle() { editor.idle(); }
void VstEditor::update() {}
void VstEditor::setParameterNotice(VstInt32, float) {}
