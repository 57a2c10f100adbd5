// The VST 2.4 face of the instrument: identity strings, parameter names and programs, answered
// from the format-free core it owns.
#pragma once

#include "instrument/InstrumentCore.h"
#include "params/PluginIdentity.h"
#include "vst/AudioEffectX.h"

#include <mutex>

class PluginBase : public AudioEffectX, public InstrumentFormat {
public:
    explicit PluginBase(audioMasterCallback host);
    ~PluginBase() override;

    float getParameter(VstInt32 index) override { return core.parameter(index); }
    void setProgram(VstInt32 program) override { core.selectProgram(program); }
    VstInt32 getProgram() override { return core.currentProgram(); }
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool canParameterBeAutomated(VstInt32 index) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstPlugCategory getPlugCategory() override { return kPlugCategSynth; }
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return kVendorVersion; }
    VstInt32 canDo(char* text) override;

    void nextProgram() { setProgram(core.currentProgram() + 1); }
    void previousProgram() { setProgram(core.currentProgram() - 1); }
    void initProgram(VstInt32 program) { core.initProgram(program); }
    void initBank(bool useCurrent) { core.initBank(useCurrent); }
    void loadDefaultBank() { core.loadDefaultBank(); }
    void refreshValues() { core.refreshValues(); }
    void allNotesOff() { core.allNotesOff(); }

    InstrumentCore& instrument() { return core; }
    ProgramStore& programStore() { return core.programStore(); }
    UserSettings& userSettings() { return core.userSettings(); }
    VoiceManager& engine() { return core.engine(); }
    uint32_t soundingVoices() const { return core.soundingVoices(); }
    bool anyNoteHeld() const { return core.anyNoteHeld(); }

    // InstrumentFormat
    Editor* formatEditor() const override;
    void reportUserEdit(int index, float value) override;
    void reportGesture(int index, bool begins) override;
    void reportAllValuesChanged() override { updateDisplay(); }

protected:
    InstrumentCore core{*this};
    std::mutex& engineLock = core.renderLock();
};
