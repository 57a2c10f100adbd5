// The generic VST 2.0 effect base: owns the AEffect record, turns each opcode into one virtual
// operation and answers the generic defaults for everything a subclass does not override.
#pragma once

#include "vstabi.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    AEffect* getAeffect() { return &cEffect; }
    static AudioEffect* fromAeffect(AEffect* effect) { return static_cast<AudioEffect*>(effect->object); }

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { *name = 0; }
    virtual void getParameterLabel(VstInt32 /*index*/, char* label) { *label = 0; }
    virtual void getParameterDisplay(VstInt32 /*index*/, char* text) { *text = 0; }
    virtual void getParameterName(VstInt32 /*index*/, char* text) { *text = 0; }
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }
    virtual void suspend() {}
    virtual void resume() {}
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0; }
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() const { return editor; }
    float getSampleRate() const { return sampleRate; }
    VstInt32 getBlockSize() const { return blockSize; }
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0);

protected:
    void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    void setFlag(VstInt32 flag, bool on);
    void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }

    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 curProgram = 0;
    VstInt32 numPrograms;
    VstInt32 numParams;
    AEffEditor* editor = nullptr;
    audioMasterCallback audioMaster;
    AEffect cEffect{};
};
