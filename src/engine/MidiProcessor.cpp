#include "MidiProcessor.h"

#include "settings/PlayingSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

MidiProcessor::MidiProcessor()
{
    // Room for busy blocks up front, so steady playing never allocates on the audio thread.
    eventQueue.reserve(1024);
    deferredNoteOffs.reserve(256);
    releasing.reserve(256);
}

void MidiProcessor::queueEvents(std::span<const MidiInputEvent> events)
{
    for (const MidiInputEvent& event : events)
        queueEvent(event);
}

void MidiProcessor::append(int32_t kind, const MidiInputEvent& event, int32_t data1, int32_t data2)
{
    MidiMessage message;
    message.kind = kind;
    message.frameOffset = event.deltaFrames;
    message.channel = event.status & 0x0F;
    message.data1 = data1;
    message.data2 = data2;
    push(message);
}

void MidiProcessor::push(const MidiMessage& message)
{
    if (!eventQueue.empty() && message.frameOffset < eventQueue.back().frameOffset)
        queueSorted = false;
    eventQueue.push_back(message);
}

void MidiProcessor::queueNoteOffset(int32_t frame, int channel, int key, int paramIndex, float amount)
{
    if (!acceptsNoteOffset(paramIndex) || !std::isfinite(amount))
        return;
    push(MidiMessage{MidiNoteOffset, frame, channel, key, paramIndex, amount});
}

void MidiProcessor::queueNoteExpression(int32_t frame, int channel, int key, NoteExpression kind, float value)
{
    const int32_t code = static_cast<int32_t>(kind);
    if (code < 0 || code >= kNumNoteExpressions || !std::isfinite(value))
        return;
    push(MidiMessage{MidiNoteExpression, frame, channel, key, code, value});
}

void MidiProcessor::queueEvent(const MidiInputEvent& event)
{
    const int32_t d1 = event.data1 & 0x7F;
    const int32_t d2 = event.data2 & 0x7F;
    switch (event.status & 0xF0) {
    case 0x80:
        append(MidiNoteOff, event, d1, d2);
        break;
    case 0x90:
        append(MidiNoteOn, event, d1, d2);
        break;
    case 0xA0:
        append(MidiKeyPressure, event, d1, d2);
        break;
    case 0xB0:
        // Independent tests: the mod wheel and the pedal also reach the controller map.
        if (d1 == 1)
            append(MidiModWheel, event, d1, d2);
        if (d1 == 64)
            append(MidiSustain, event, d1, d2);
        if (d1 <= kHighestMappableController) {
            append(MidiController, event, d1, d2);
            // Learning binds when the block arrives, not at the event's frame. A member
            // channel's slide belongs to its note, never to a knob.
            if (d1 != kSlideController || !isMemberChannel(event.status & 0x0F))
                learnController(d1);
        }
        // All Notes Off, Omni Off, Omni On, Mono On, Poly On all silence the keys; 120 to 122
        // are ignored.
        if (d1 >= 123)
            append(MidiAllNotesOff, event, d1, d2);
        break;
    case 0xD0:
        append(MidiChannelPressure, event, d1, d2);
        break;
    case 0xE0:
        append(MidiPitchBend, event, d1, d2);
        break;
    default:
        // Program change, system messages and stray data bytes.
        break;
    }
}

void MidiProcessor::dispatchEvents(int frameIndex)
{
    if (frameIndex <= lastFrame)
        nextIndex = 0;
    lastFrame = frameIndex;

    // Note-offs held by the pedal go one frame after the pedal is released, after the messages
    // queued for that frame.
    if (!sustain && !deferredNoteOffs.empty())
        std::swap(releasing, deferredNoteOffs);

    const size_t count = eventQueue.size();
    if (queueSorted) {
        while (nextIndex < count && eventQueue[nextIndex].frameOffset < frameIndex)
            ++nextIndex;
        while (nextIndex < count && eventQueue[nextIndex].frameOffset == frameIndex)
            apply(eventQueue[nextIndex++]);
    } else {
        for (size_t i = 0; i < count; ++i)
            if (eventQueue[i].frameOffset == frameIndex)
                apply(eventQueue[i]);
    }

    if (!releasing.empty()) {
        for (const MidiMessage& message : releasing)
            apply(message);
        releasing.clear();
    }
}

int32_t MidiProcessor::nextDispatchFrame(int frameIndex) const
{
    // Released pedal with note-offs still held back: they go at the very next frame.
    if (!sustain && !deferredNoteOffs.empty())
        return frameIndex + 1;
    int32_t next = INT32_MAX;
    if (queueSorted) {
        for (size_t i = nextIndex; i < eventQueue.size(); ++i) {
            if (eventQueue[i].frameOffset > frameIndex) {
                next = eventQueue[i].frameOffset;
                break;
            }
        }
    } else {
        for (const MidiMessage& message : eventQueue)
            if (message.frameOffset > frameIndex && message.frameOffset < next)
                next = message.frameOffset;
    }
    return next;
}

void MidiProcessor::apply(const MidiMessage& message)
{
    switch (message.kind) {
    case MidiNoteOn:
        if (message.data2 > 0) {
            processNote(message);
            break;
        }
        [[fallthrough]];
    case MidiNoteOff:
        if (sustain)
            deferredNoteOffs.push_back(message);
        else
            processNote(message);
        break;
    case MidiAllNotesOff:
        allNotesOff();
        break;
    case MidiSustain:
        sustain = message.data2 > 63;
        break;
    case MidiPitchBend: {
        // A member channel's bend is its note's; any other channel bends every voice.
        const float bend = float((message.data2 - 64) * 128 + message.data1) / 8192.0f;
        channelExpression[message.channel & 15].bend = bend;
        if (isMemberChannel(message.channel))
            processChannelExpression(message.channel);
        else
            controllers.pitchBend = bend;
        break;
    }
    case MidiModWheel:
        controllers.modWheel = float(message.data2) / 127.0f;
        break;
    case MidiChannelPressure: {
        const float pressure = float(message.data1) / 127.0f;
        channelExpression[message.channel & 15].pressure = pressure;
        if (isMemberChannel(message.channel))
            processChannelExpression(message.channel);
        else
            controllers.channelPressure = pressure;
        break;
    }
    case MidiKeyPressure:
        if (message.data1 >= 0 && message.data1 < 128) {
            controllers.keyPressure[message.data1] = float(message.data2) / 127.0f;
            processPolyPressure(message.channel, message.data1, controllers.keyPressure[message.data1]);
        }
        break;
    case MidiController:
        if (message.data1 >= 0 && message.data1 <= kHighestMappableController)
            applyController(message.channel & 15, message.data1, message.data2);
        break;
    case MidiNoteOffset:
        processNoteOffset(message.channel, message.data1, message.data2, message.value);
        break;
    case MidiNoteExpression:
        if (message.data2 == static_cast<int32_t>(NoteExpression::Pressure)) {
            setKeyPressure(message.data1, message.value);
            processPolyPressure(message.channel, message.data1, NoteOffsets::clamp(message.value, 0.0f, 1.0f));
        } else
            processNoteExpression(message.channel, message.data1, static_cast<NoteExpression>(message.data2),
                                  message.value);
        break;
    default:
        break;
    }
}

void MidiProcessor::applyController(int channel, int controller, int value)
{
    ChannelExpression& e = channelExpression[channel];
    switch (controller) {
    case 101:
        e.rpnMsb = uint8_t(value);
        break;
    case 100:
        e.rpnLsb = uint8_t(value);
        break;
    case 98:
    case 99:
        // A non-registered parameter takes the data entry that follows.
        e.rpnMsb = e.rpnLsb = 127;
        break;
    case 6:
    case 38:
        dataEntry(channel, controller, value);
        break;
    default:
        break;
    }
    if (controller == kSlideController) {
        e.slide = float(value) / 127.0f;
        processChannelExpression(channel);
        if (isMemberChannel(channel))
            return;
    }
    processController(controller, float(value) / 127.0f);
}

void MidiProcessor::dataEntry(int channel, int controller, int value)
{
    const ChannelExpression& e = channelExpression[channel];
    if (e.rpnMsb != 0)
        return;
    // The MPE Configuration Message: the member count of the zone its manager channel heads.
    if (e.rpnLsb == 6 && controller == 6 && (channel == 0 || channel == kNumMidiChannels - 1)) {
        setZone(channel != 0, value);
        return;
    }
    // Pitch bend sensitivity on a member channel: semitones, then cents; every member channel
    // of the zone bends alike. Elsewhere the program's bend ranges stay in charge.
    if (e.rpnLsb != 0 || !isMemberChannel(channel))
        return;
    const float range = controller == 6 ? float(value) : std::floor(e.bendRange) + float(std::min(value, 99)) / 100.0f;
    const bool upper = channel > mpeLowerMembers;
    for (int c = 0; c < kNumMidiChannels; ++c)
        if (isMemberChannel(c) && (c > mpeLowerMembers) == upper)
            channelExpression[c].bendRange = range;
    processChannelExpression(-1);
}

void MidiProcessor::setZone(bool upper, int members)
{
    members = std::clamp(members, 0, kNumMidiChannels - 1);
    (upper ? mpeUpperMembers : mpeLowerMembers) = members;
    // Zones never overlap: the other one gives way.
    int& other = upper ? mpeLowerMembers : mpeUpperMembers;
    if (members > 0)
        other = std::clamp(other, 0, std::max(0, kNumMidiChannels - 2 - members));
    // The zone's channels start afresh: what they carried before was no note's own.
    for (int c = 0; c < kNumMidiChannels; ++c) {
        ChannelExpression& e = channelExpression[c];
        if (isMemberChannel(c) && (c > mpeLowerMembers) == upper) {
            e.bendRange = 48.0f;
            e.bend = e.pressure = e.slide = 0.0f;
        }
    }
    processChannelExpression(-1);
}

void MidiProcessor::followMpeRequest(uint32_t request)
{
    if (request == mpeRequestSeen)
        return;
    mpeRequestSeen = request;
    // The zone chosen takes every channel but its manager's.
    const MpeMode mode = PlayingSetup::mpeModeOf(request);
    const bool upper = mode == MpeMode::UpperZone;
    setZone(!upper, 0);
    setZone(upper, mode == MpeMode::Off ? 0 : kNumMidiChannels - 1);
}

void MidiProcessor::clearEventQueue()
{
    eventQueue.clear();
    carriedCount = 0;
    queueSorted = true;
    nextIndex = 0;
    lastFrame = -1;
}

void MidiProcessor::carryOverSkippedBlock(int frameCount)
{
    // Messages the block would have applied move to frame 0 of the next block, in their order;
    // those outside the block would have been dropped anyway.
    size_t kept = 0;
    for (size_t i = 0; i < eventQueue.size(); ++i) {
        MidiMessage message = eventQueue[i];
        if (i < carriedCount || (message.frameOffset >= 0 && message.frameOffset < frameCount)) {
            message.frameOffset = 0;
            eventQueue[kept++] = message;
        }
    }
    eventQueue.resize(kept);
    carriedCount = kept;
    queueSorted = true;
    nextIndex = 0;
    lastFrame = -1;
}

// Unquantised, unlike MIDI's 7 bits; key -1 presses every key alike.
void MidiProcessor::setKeyPressure(int key, float value)
{
    const float pressure = NoteOffsets::clamp(value, 0.0f, 1.0f);
    if (key == -1) {
        for (float& p : controllers.keyPressure)
            p = pressure;
    } else if (key >= 0 && key < 128) {
        controllers.keyPressure[key] = pressure;
    }
}

void MidiProcessor::resetControllers()
{
    controllers.pitchBend = 0.0f;
    controllers.modWheel = 0.0f;
    controllers.channelPressure = 0.0f;
    for (float& pressure : controllers.keyPressure)
        pressure = 0.0f;
    // Each channel's expression too; the zones and bend ranges are the controller's set-up.
    for (ChannelExpression& e : channelExpression)
        e.bend = e.pressure = e.slide = 0.0f;
}
