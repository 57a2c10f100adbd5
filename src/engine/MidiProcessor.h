// MIDI input of the engine: the host's events of one block become compact messages that are
// applied at their own frame, plus the controller state that voices and the modulation read.
#pragma once

#include "NoteOffsets.h"

#include <cstdint>
#include <span>
#include <vector>

// One raw MIDI event as the plug-in hands it over: the delta frame and the first three bytes.
// Only channel messages of up to three bytes reach the engine; the plug-in drops the rest.
struct MidiInputEvent {
    int32_t deltaFrames = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

enum MidiKind : int32_t {
    MidiNoteOn = 1,
    MidiNoteOff = 2,
    MidiAllNotesOff = 3,
    MidiSustain = 4,
    MidiPitchBend = 5,
    MidiModWheel = 6,
    MidiChannelPressure = 7,
    MidiKeyPressure = 8,
    MidiController = 9,
    // From hosts that address single notes (data1 the key, -1 any; channel -1 any).
    MidiNoteOffset = 10,     // data2 the parameter index, value the amount
    MidiNoteExpression = 11, // data2 the NoteExpression, value its value
};

struct MidiMessage {
    int32_t kind = 0;
    int32_t frameOffset = 0;
    int32_t channel = 0;
    int32_t data1 = 0;
    int32_t data2 = 0;
    float value = 0.0f; // per-note messages only
};

// What the voices read every frame.
struct MidiControllerState {
    float pitchBend = 0.0f;       // -1 .. +8191/8192
    float modWheel = 0.0f;        // 0..1
    float channelPressure = 0.0f; // 0..1
    float keyPressure[128] = {};  // per note number, 0..1
    float modCcValue[2] = {};     // the "Mod CC 1" and "Mod CC 2" sources
};

constexpr int kHighestMappableController = 119;

constexpr int kNumMidiChannels = 16;
// The controller MPE controllers send a note's slide (its vertical touch position) on.
constexpr int kSlideController = 74;

// What arrives on one MIDI channel for the notes it plays: under MPE each member channel carries
// a single note's bend, pressure and slide; elsewhere the slide alone is the channel's.
struct ChannelExpression {
    float bend = 0.0f;       // -1 .. +8191/8192
    float bendRange = 48.0f; // semitones of a member channel's full bend
    float pressure = 0.0f;   // 0..1
    float slide = 0.0f;      // controller 74, 0..1
    uint8_t rpnMsb = 127;    // the registered parameter the data entry controllers set;
    uint8_t rpnLsb = 127;    // 127 and 127: none
};

class MidiProcessor {
public:
    MidiProcessor();
    virtual ~MidiProcessor() = default;
    MidiProcessor(const MidiProcessor&) = delete;
    MidiProcessor& operator=(const MidiProcessor&) = delete;

    // The operations the decoded messages drive.
    virtual void processNote(const MidiMessage& message) = 0;
    virtual void allNotesOff() = 0;
    virtual void learnController(int controller) = 0;
    virtual void processController(int controller, float value) = 0;
    // A per-note offset or expression (not Pressure) for every voice playing a matching note;
    // channel or key -1 matches any. Only an engine with voices acts on them.
    virtual void processNoteOffset(int /*channel*/, int /*key*/, int /*paramIndex*/, float /*amount*/) {}
    virtual void processNoteExpression(int /*channel*/, int /*key*/, NoteExpression /*kind*/, float /*value*/) {}
    // The voices of a channel take its expression anew (channel -1: every voice, after the
    // zones changed), and one key's pressure reaches the voices playing it (-1: any).
    virtual void processChannelExpression(int /*channel*/) {}
    virtual void processPolyPressure(int /*channel*/, int /*key*/, float /*pressure*/) {}

    // Appends these events to the block's queue, behind any already there (such as those
    // carried over from a skipped block).
    void queueEvents(std::span<const MidiInputEvent> events);
    // The same one event at a time, for a caller that converts its own event list.
    void queueEvent(const MidiInputEvent& event);
    // Per-note messages, applied at their frame in order with the MIDI around them: each
    // replaces the offset or expression of the voices playing the note at that frame (channel
    // or key -1: any). Pressure is the key's on every channel, as MIDI key pressure is. Amounts
    // that are not finite, parameters no note can offset and unknown kinds are dropped here.
    void queueNoteOffset(int32_t frame, int channel, int key, int paramIndex, float amount);
    void queueNoteExpression(int32_t frame, int channel, int key, NoteExpression kind, float value);

    // Applies the messages due at this frame; called once per frame, frames in order.
    void dispatchEvents(int frameIndex);

    // The first frame after frameIndex at which dispatchEvents has work (a queued message, or
    // pedal-held note-offs about to go), or INT32_MAX. Call right after dispatchEvents(frameIndex).
    int32_t nextDispatchFrame(int frameIndex) const;

    // After a rendered block: the block's messages are spent.
    void clearEventQueue();
    // After a block that could not be rendered: its messages move to the start of the next
    // block instead of being lost.
    void carryOverSkippedBlock(int frameCount);

    // MPE: the member channel counts of the lower zone (channel 1 manages, members from channel
    // 2 up) and the upper zone (channel 16 manages, members from 15 down); 0 and 0: MPE is off.
    // Set by the MPE Configuration Message (registered parameter 6 on a manager channel) and by
    // the settings' choice, whichever came last.
    int mpeLowerMembers = 0;
    int mpeUpperMembers = 0;
    bool isMemberChannel(int channel) const
    {
        return (channel >= 1 && channel <= mpeLowerMembers) ||
               (channel <= kNumMidiChannels - 2 && channel >= kNumMidiChannels - 1 - mpeUpperMembers);
    }
    // The settings' MPE choice as PlayingSetup::mpeRequest holds it: applied when it moves.
    void followMpeRequest(uint32_t request);

    MidiControllerState controllers;
    ChannelExpression channelExpression[kNumMidiChannels];
    std::vector<MidiMessage> eventQueue;
    std::vector<MidiMessage> deferredNoteOffs;
    bool sustain = false;

protected:
    // Pitch bend, mod wheel and pressures back to rest; the Mod CC values and the pedal stay.
    void resetControllers();

private:
    void append(int32_t kind, const MidiInputEvent& event, int32_t data1, int32_t data2);
    void push(const MidiMessage& message);
    void setKeyPressure(int key, float value);
    void apply(const MidiMessage& message);
    void applyController(int channel, int controller, int value);
    void dataEntry(int channel, int controller, int value);
    void setZone(bool upper, int members);

    // Deferred note-offs released at the current frame, after the frame's queued messages.
    std::vector<MidiMessage> releasing;
    // Leading messages of eventQueue that come from a skipped block.
    size_t carriedCount = 0;
    uint32_t mpeRequestSeen = UINT32_MAX;
    // Hosts send events in frame order; then each frame needs to look only from here on.
    bool queueSorted = true;
    size_t nextIndex = 0;
    int lastFrame = -1;
};
