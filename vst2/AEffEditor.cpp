#include "vst2/AEffEditor.h"

AEffEditor::AEffEditor(AudioEffect* e) : effect(e), systemWindow(nullptr), updateFlag(0) {}
AEffEditor::~AEffEditor() = default;

VstInt32 AEffEditor::getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return 0;
}

VstInt32 AEffEditor::open(void* ptr) {
    systemWindow = ptr;
    return 0;
}

void AEffEditor::close() {}

void AEffEditor::idle() {
    if (updateFlag) {
        updateFlag = 0;
        update();
    }
}

void AEffEditor::update() {}

void AEffEditor::postUpdate() { updateFlag = 1; }
