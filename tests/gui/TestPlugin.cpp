// A small instrument whose editor shows the demo panel: the window tests and the screenshot
// command open it in real windows. Built for the tests only.
#include "DemoControls.h"

#include "gui/AEffGUIEditor.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"
#include "vst/AudioEffectX.h"

#include <cstring>

namespace {

constexpr int kParams = 4;

class TestEditor : public AEffGUIEditor, public CControlListener {
public:
    using AEffGUIEditor::AEffGUIEditor;

    bool open(void* parent) override
    {
        if (!AEffGUIEditor::open(parent))
            return false;
        frame = new CFrame(CRect(0, 0, kDemoWidth, kDemoHeight), parent, this);
        if (!frame->hasWindow()) {
            AEffGUIEditor::close();
            return false;
        }
        frame->addView(buildDemoControls(this));
        return true;
    }

    void valueChanged(CControl* control) override
    {
        if (control->getTag() >= 0 && control->getTag() < kParams)
            effect->setParameterAutomated(VstInt32(control->getTag()), control->getValue());
    }

protected:
    ERect rectForNextOpen() override { return {0, 0, kDemoHeight, kDemoWidth}; }
};

class TestSynth : public AudioEffectX {
public:
    explicit TestSynth(audioMasterCallback host) : AudioEffectX(host, 1, kParams)
    {
        setNumInputs(0);
        setNumOutputs(2);
        setUniqueID(0x4D54544B); // "MTTK"
        isSynth();
        canProcessReplacing();
        setEditor(new TestEditor(this));
    }
    void setParameter(VstInt32 index, float value) override
    {
        if (index >= 0 && index < kParams)
            values[index] = value;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < kParams ? values[index] : 0; }
    bool getEffectName(char* name) override
    {
        std::strcpy(name, "Toolkit Test");
        return true;
    }
    void processReplacing(float**, float** outputs, VstInt32 frames) override
    {
        for (int channel = 0; channel < 2; ++channel)
            std::memset(outputs[channel], 0, sizeof(float) * size_t(frames));
    }

private:
    float values[kParams] = {};
};

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0)
        return nullptr;
    return (new TestSynth(host))->getAeffect();
}
