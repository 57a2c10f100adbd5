// The instrument without a plug-in format: the programs, the settings, the engine with its
// master stage, and the services the editor and the program commands need. Each format adapter
// owns one and translates its host's calls into these.
#pragma once

#include "instrument/CoreCommandHost.h"
#include "instrument/InstrumentFormat.h"
#include "instrument/InstrumentState.h"
#include "editor/EditHistory.h"
#include "editor/EditorHost.h"
#include "engine/Smoother.h"
#include "engine/VoiceManager.h"
#include "params/ProgramStore.h"
#include "params/TempoInfo.h"
#include "settings/UserSettings.h"

#include <mutex>
#include <span>

// A parameter change from the host at a frame of the block being processed.
struct TimedParameter {
    int frame = 0;
    int index = 0;
    float value = 0.0f;
};

class InstrumentCore final : public ParameterWriter, public EditorHost {
public:
    explicit InstrumentCore(InstrumentFormat& format);
    InstrumentCore(const InstrumentCore&) = delete;
    InstrumentCore& operator=(const InstrumentCore&) = delete;

    // Rates no audio device has are refused (the current one stays). Takes the tables for the
    // rate, so never on the audio thread.
    void setSampleRate(float rate);
    float sampleRate() const { return rate; }
    // Ready to render at the current rate; allocates, so never on the audio thread.
    void activate();
    // Silences everything at once (switch-off, a reset from the user-interface thread).
    void reset();
    void allNotesOff();

    // The block's context and its MIDI, before process().
    void setTempo(float beatsPerMinute, int timeSigDenominator);
    void queueMidi(const MidiInputEvent& event) { voiceManager.queueEvent(event); }
    // Renders a block: null outputs still move time on. Parameter changes apply at their frame
    // (they must come in frame order); the block's MIDI is spent afterwards.
    template <typename Sample>
    void process(Sample* left, Sample* right, int frames, std::span<const TimedParameter> parameters = {});

    // Parameters of the current program. A change that is not a finite number, or of an index
    // outside the table, is refused (false).
    float parameter(int index) const;
    bool setParameter(int index, float value);
    // The display text of the current value; false (text untouched) where there is none.
    bool parameterText(int index, char* text) const;

    // Program numbers wrap around the bank. The engine restarts with the program's values.
    void selectProgram(int number);
    int currentProgram() const { return programs.currentNumber(); }
    void initProgram(int number);
    void initBank(bool useCurrent);
    void loadDefaultBank();
    // After a paste or restore: the editor and the host show the current program's values.
    void refreshValues();

    // The current program as a host saves it with its project, and back: the restored values
    // replace the program's, and the engine restarts with them.
    InstrumentState captureState() const;
    void restoreState(const InstrumentState& state);

    // EditorHost
    ProgramStore& programStore() override { return programs; }
    UserSettings& userSettings() override { return settings; }
    uint32_t soundingVoices() const override { return voiceManager.soundingVoices(); }
    bool anyNoteHeld() const override { return voiceManager.anyNoteHeld(); }
    void editorCommand(int tag, float value) override;
    void editParameter(int index, float value) override;
    void parameterGesture(int index, bool begins) override;
    void formatParameterText(int index, char* text) override { parameterText(index, text); }
    EditHistory* editHistory() override { return &history; }
    bool editorKey(int character, int virtualKey, unsigned modifiers, bool pressed) override
    {
        return format.editorKey(character, virtualKey, modifiers, pressed);
    }

    // Learned controllers write through the same path as the host.
    void writeParameter(int index, float value) override { setParameter(index, value); }

    VoiceManager& engine() { return voiceManager; }
    const VoiceManager& engine() const { return voiceManager; }
    const TempoInfo& blockTempo() const { return tempoInfo; }
    CoreCommandHost& commandHost() { return commands; }
    InstrumentFormat& formatAdapter() { return format; }
    Editor* editor() const { return format.formatEditor(); }
    // Held by everything that resets the engine; the audio thread only tries it.
    std::mutex& renderLock() { return engineLock; }

private:
    void pushValuesToEditor();
    template <typename Sample>
    void renderSpan(Sample* left, Sample* right, int frames, int first, int count);

    InstrumentFormat& format;
    std::mutex engineLock;
    ProgramStore programs;
    UserSettings settings;
    VoiceManager voiceManager;
    TempoInfo tempoInfo;
    // Lives as long as the instance: a question answered at a later idle resumes its command
    // through it.
    CoreCommandHost commands{*this};
    // The editor's undo history lives as long as the instance, not as long as a window.
    EditHistory history;
    Smoother masterVolume;
    float rate = 44100.0f;
    // The engine renders into these, a slice of the host block at a time, before the master
    // stage converts to the host's sample type.
    static constexpr int kSliceFrames = 256;
    float sliceLeft[kSliceFrames] = {};
    float sliceRight[kSliceFrames] = {};
};
