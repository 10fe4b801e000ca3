// The class the library's entry creates, and the entry's factory.
#include <new>

#include "editor/MaximizerEditor.h"
#include "vst2/MaximizerEffect.h"

MaximizerEffectWithEditor::MaximizerEffectWithEditor(audioMasterCallback audioMaster)
    : MaximizerEffect(audioMaster) {
    setUniqueID(fourCharCode('Q', 'M', 'Z', 'E'));
    if (!editor || !editorView) {
        constructionFailed = true;
        return;
    }
    editorView->reset();
}

MaximizerEffectWithEditor::~MaximizerEffectWithEditor() = default;

AEffect* createEffectInstance(audioMasterCallback audioMaster) {
    // Without a host that answers the version question nothing is created.
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    MaximizerEffectWithEditor* effect = new (std::nothrow) MaximizerEffectWithEditor(audioMaster);
    if (!effect) return nullptr;
    if (effect->constructionFailed) {
        delete effect;
        return nullptr;
    }
    return effect->getAeffect();
}
