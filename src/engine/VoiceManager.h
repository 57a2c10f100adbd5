// The synthesis engine of one instance: the 32 voices, note handling and stealing, the MIDI input
// and the per-frame render loop.
#pragma once

#include "EffectsReverb.h"
#include "Lfo.h"
#include "MidiProcessor.h"
#include "PingPongDelay.h"
#include "Voice.h"
#include "Wavetable.h"
#include "params/ProgramStore.h"
#include "params/TempoInfo.h"
#include "settings/MidiMap.h"
#include "settings/PlayingSetup.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

constexpr int kNumVoices = kMaxPolyphony; // every voice the polyphony knob can ask for

// Where MIDI-learned controllers write parameter values: the plug-in, which stores the value in
// the current program and updates its editor.
class ParameterWriter {
public:
    virtual void writeParameter(int index, float value) = 0;

protected:
    ~ParameterWriter() = default;
};

class VoiceManager : public MidiProcessor {
public:
    VoiceManager();

    // Binds the engine to the plug-in it writes learned parameters to, the values it plays, the
    // MIDI map (which learning writes), the amplifier's ignore-velocity switch and the tempo of
    // the current block.
    void bind(ParameterWriter& plugin, const ProgramStore& programs, MidiMap& midiMap,
              const std::atomic<bool>& ignoreVelocity, const TempoInfo& tempo);

    // The tuning's key pitches and the settings' MPE choice; unbound, keys play in twelve equal
    // semitones and only a controller's configuration message turns MPE on.
    void bindPlaying(const PlayingSetup& setup) { playing = &setup; }

    // Takes the rate; the wavetables and delay lines for it come with prepareRate(), or with
    // the first render after the change when nobody called it.
    void setEngineSampleRate(float rate);
    // Takes the wavetables of the current rate (shared with every instance at that rate, built
    // when none has them) and sizes the delay lines. Allocates: call it off the audio thread
    // (engine locked).
    void prepareRate();
    void resetEngine();

    // The output for frames first..first+count-1 of a frameCount-long host block, stored into
    // left[0..count-1] and right[0..count-1]. Calls must cover the block in order, starting
    // at frame 0. Between MIDI events each sounding voice renders a run of frames in one go;
    // parameters are read once per run instead of once per frame.
    void renderFrames(float* left, float* right, int frameCount, int first, int count);
    // True when the last renderFrames call wrote nothing but zeros because no voice sounded and
    // the effects had no tail.
    bool renderedSilence() const { return silentOutput; }
    // A whole block in one call.
    void renderBlock(float* left, float* right, int frameCount)
    {
        renderFrames(left, right, frameCount, 0, frameCount);
    }

    // The longest run rendered in one go (the length of the run buses).
    static constexpr int kRunFrames = 256;

    void processNote(const MidiMessage& message) override;
    void allNotesOff() override;
    void learnController(int controller) override;
    void processController(int controller, float value) override;
    void processNoteOffset(int channel, int key, int paramIndex, float amount) override;
    void processNoteExpression(int channel, int key, NoteExpression kind, float value) override;
    void processChannelExpression(int channel) override;
    void processPolyPressure(int channel, int key, float pressure) override;

    // Chooses a voice among 0..polyphony-1 for the note and starts it.
    void allocateVoice(NoteRecord record, int polyphony);

    // The routing bucket of the current program, which decides what counts as sounding.
    Routing currentRoute() const;
    bool isSounding(int voiceIndex) const;
    // The note a voice plays, or last played (channel and key 0 before its first); -1 for an
    // index that names no voice.
    int voiceChannel(int voiceIndex) const;
    int voiceKey(int voiceIndex) const;
    // Grows by one at every note start, on whichever voice: a voice whose number moved has
    // started a note since it was last looked at (a stolen voice included).
    uint32_t voiceStart(int voiceIndex) const { return voiceStarts[size_t(voiceIndex)]; }

    // For the user-interface thread (voice lights, note lamp): a snapshot the audio thread
    // publishes at every block start and after every engine reset. Bit i is voice i.
    uint32_t soundingVoices() const { return soundingMask.load(std::memory_order_relaxed); }
    bool anyNoteHeld() const { return heldCount.load(std::memory_order_relaxed) > 0; }

    // Audio-thread side: the voices and held keys themselves.
    Voice& voice(int index) { return voices[index]; }
    const Voice& voice(int index) const { return voices[index]; }
    const std::vector<NoteRecord>& heldNotes() const { return held; }
    int32_t voiceCounter() const { return counter; }
    float engineSampleRate() const { return sampleRate; }
    const Lfo& globalLfo(int index) const { return globalLfos[index]; }
    const WtCollection& wavetables() const { return tables; }

private:
    ParameterWriter* plugin = nullptr;
    const ProgramStore* programs = nullptr;
    MidiMap* midiMap = nullptr;
    const std::atomic<bool>* ignoreVelocity = nullptr;
    const TempoInfo* tempo = nullptr;
    const PlayingSetup* playing = nullptr;

    WtCollection tables;
    Voice voices[kNumVoices];
    std::vector<NoteRecord> held;
    // Free-running voice LFOs follow these.
    Lfo globalLfos[4];
    PingPongDelay delay{false};
    EffectsReverb reverb;
    // The per-frame values every sounding voice reads, read once per frame.
    FrameControls frameControls;
    int32_t counter = 0;
    std::array<uint32_t, kNumVoices> voiceStarts{};
    uint32_t startsSoFar = 0;
    float sampleRate = 44100.0f;
    bool rateReady = false;

    void publishState(Routing route);
    // A voice takes its channel's expression; a fresh start (or a change of zones) also
    // forgets the pressure it had.
    void takeChannelExpression(Voice& v, bool fresh);
    // Calls f on every sounding voice whose note matches; -1 matches any channel or key.
    template <typename F>
    void forMatchingVoices(int channel, int key, F f);
    void beginBlock(const ProgramRecord& p, int frameCount);
    void renderRun(const ProgramRecord& p, float* left, float* right, int frames);
    void renderVoiceRuns(int frames, Routing route);
    bool renderSilentRun(const ProgramRecord& p, float* left, float* right, int frames);
    void advanceGlobalLfos(int frames);

    // The working memory of a group of voices' segments.
    Voice::Segment segmentScratch[Voice::kGroupVoices];
    // The four amplifier buses of the current run, frame by frame.
    float runAmp1Left[kRunFrames];
    float runAmp1Right[kRunFrames];
    float runAmp2Left[kRunFrames];
    float runAmp2Right[kRunFrames];
    bool silentOutput = false;
    std::atomic<uint32_t> soundingMask{0};
    std::atomic<int> heldCount{0};

    // The tests' plain frame-by-frame rendering, which the runs are held to.
    friend struct ReferenceRender;
};
