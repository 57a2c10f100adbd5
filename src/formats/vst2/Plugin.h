// The VST 2.4 plug-in instance: processing, the sample rate, parameter writes and the editor.
#pragma once

#include "PluginBase.h"

class Editor;

class Plugin : public PluginBase {
public:
    explicit Plugin(audioMasterCallback host);

    void setSampleRate(float rate) override;
    void suspend() override { core.reset(); }
    void resume() override { core.activate(); }
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
    VstInt32 processEvents(VstEvents* events) override;
    // Indices past the table are ignored: the editor's commands (file dialogs, bank loads) must
    // not run on whatever thread a host automates from.
    void setParameter(VstInt32 index, float value) override { core.setParameter(index, value); }
    void getParameterDisplay(VstInt32 index, char* text) override { core.parameterText(index, text); }

    const TempoInfo& blockTempo() const { return core.blockTempo(); }
    Editor* pluginEditor() const { return formatEditor(); }

private:
    void readBlockTempo();
    template <typename Sample>
    void processBlock(Sample** outputs, VstInt32 frames);
};

// Creates an instance for a host; null when the host does not speak VST 2.
AEffect* createEffectInstance(audioMasterCallback host);
