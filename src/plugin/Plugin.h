// The plug-in instance: processing, the master stage, sample rate, parameter writes and the
// editor.
#pragma once

#include "PluginBase.h"
#include "engine/Smoother.h"
#include "plugin/PluginProgramHost.h"

class Editor;

class Plugin : public PluginBase {
public:
    explicit Plugin(audioMasterCallback host);

    void setSampleRate(float rate) override;
    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
    VstInt32 processEvents(VstEvents* events) override;
    void setParameter(VstInt32 index, float value) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void editorCommand(int tag, float value) override;

    const TempoInfo& blockTempo() const { return tempoInfo; }
    Editor* pluginEditor() const;

protected:
    void pushValuesToEditor() override;

private:
    void readBlockTempo();
    template <typename Sample>
    void processBlock(Sample** outputs, VstInt32 frames);

    // Lives as long as the instance: a question answered at a later idle resumes its command
    // through it.
    PluginProgramHost commandHost{*this};
    Smoother masterVolume;
    bool constructed = false;
    // The engine renders into these, a slice of the host block at a time, before the master
    // stage converts to the host's sample type.
    static constexpr int kSliceFrames = 256;
    float sliceLeft[kSliceFrames] = {};
    float sliceRight[kSliceFrames] = {};
};

// Creates an instance for a host; null when the host does not speak VST 2.
AEffect* createEffectInstance(audioMasterCallback host);
