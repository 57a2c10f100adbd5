#include "AEffGUIEditor.h"

#include "CFrame.h"
#include "CKnob.h"
#include "vst/AudioEffectX.h"

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner) {}

AEffGUIEditor::~AEffGUIEditor()
{
    AEffGUIEditor::close();
}

bool AEffGUIEditor::getRect(ERect** result)
{
    if (!result)
        return false;
    if (!isOpen())
        rect = rectForNextOpen();
    *result = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow)
{
    // Some hosts open twice without closing: start from a clean state.
    if (isOpen())
        close();
    if (!parentWindow)
        return false;
    rect = rectForNextOpen();
    systemWindow = parentWindow;
    return true;
}

void AEffGUIEditor::close()
{
    if (frame) {
        CFrame* old = frame;
        frame = nullptr;
        old->forget();
    }
    systemWindow = nullptr;
}

void AEffGUIEditor::idle()
{
    if (frame)
        frame->idle();
}

long AEffGUIEditor::modifiersFromHost(float modifiers)
{
    // The VST modifier bits: 1 Shift, 2 Alt, 4 Command (Ctrl on Windows and Linux), 8 Control.
    long bits = long(modifiers);
    long result = 0;
    if (bits & 1)
        result |= kShift;
    if (bits & 2)
        result |= kAlt;
    if (bits & (4 | 8))
        result |= kControl;
    return result;
}

bool AEffGUIEditor::onKeyDown(int character, int virtualKey, float modifiers)
{
    if (!frame)
        return false;
    VstKeyCode key{character, static_cast<unsigned char>(virtualKey), modifiersFromHost(modifiers)};
    return frame->onKeyDown(key) == 1;
}

bool AEffGUIEditor::onKeyUp(int character, int virtualKey, float modifiers)
{
    if (!frame)
        return false;
    VstKeyCode key{character, static_cast<unsigned char>(virtualKey), modifiersFromHost(modifiers)};
    return frame->onKeyUp(key) == 1;
}

bool AEffGUIEditor::setKnobMode(int mode)
{
    if (mode < kCircularMode || mode > kLinearMode)
        return false;
    CKnob::setKnobMode(mode);
    return true;
}

void AEffGUIEditor::beginEdit(long index)
{
    auto* fx = dynamic_cast<AudioEffectX*>(effect);
    if (fx && index >= 0 && index < fx->getAeffect()->numParams)
        fx->beginEdit(VstInt32(index));
}

void AEffGUIEditor::endEdit(long index)
{
    auto* fx = dynamic_cast<AudioEffectX*>(effect);
    if (fx && index >= 0 && index < fx->getAeffect()->numParams)
        fx->endEdit(VstInt32(index));
}
