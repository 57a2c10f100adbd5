// The plug-in core the host talks to: programs, parameter storage and names, the host-facing
// identity strings, and ownership of the settings and the engine.
#pragma once

#include "editor/EditorHost.h"
#include "params/PluginIdentity.h"
#include "params/ProgramStore.h"
#include "params/TempoInfo.h"
#include "engine/VoiceManager.h"
#include "settings/UserSettings.h"
#include "vst/AudioEffectX.h"

#include <mutex>

class PluginBase : public AudioEffectX, public ParameterWriter, public EditorHost {
public:
    explicit PluginBase(audioMasterCallback host);
    ~PluginBase() override;

    float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;
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

    virtual void nextProgram();
    virtual void previousProgram();
    virtual void initProgram(VstInt32 program);
    virtual void initBank(bool useCurrent);
    virtual void loadDefaultBank();

    // MIDI-learned controllers write through the same path as the host.
    void writeParameter(int index, float value) override { setParameter(index, value); }

    ProgramStore& programStore() override { return programs; }
    UserSettings& userSettings() override { return settings; }
    VoiceManager& engine() { return voiceManager; }
    uint32_t soundingVoices() const override { return voiceManager.soundingVoices(); }
    bool anyNoteHeld() const override { return voiceManager.anyNoteHeld(); }

    // After a paste or restore: the editor and the host show the current program's values.
    void refreshValues()
    {
        pushValuesToEditor();
        updateDisplay();
    }
    // Silences all notes (the options menu's "All Notes Off").
    void allNotesOff();

protected:
    // Resets the engine while holding the render lock, so a reset from the user-interface
    // thread never runs inside a block being rendered.
    void resetEngineSafely();
    // Sends all values of the current program to the open editor.
    virtual void pushValuesToEditor() {}

    std::mutex engineLock;
    ProgramStore programs;
    UserSettings settings;
    VoiceManager voiceManager;
    TempoInfo tempoInfo;
};
