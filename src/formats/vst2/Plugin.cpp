#include "Plugin.h"

#include "instrument/FloatModeGuard.h"
#include "editor/Editor.h"

Plugin::Plugin(audioMasterCallback host) : PluginBase(host)
{
    setEditor(new Editor(this, core));
    // The bank a new instance starts with; ends with program 0 selected.
    core.loadDefaultBank();
}

void Plugin::setSampleRate(float rate)
{
    core.setSampleRate(rate);
    AudioEffect::setSampleRate(core.sampleRate());
}

void Plugin::readBlockTempo()
{
    const auto* signature = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, kVstTimeSigValid));
    const auto* timing = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, kVstTempoValid));
    core.setTempo(timing ? float(timing->tempo) : 0.0f, signature ? signature->timeSigDenominator : 0);
}

template <typename Sample>
void Plugin::processBlock(Sample** outputs, VstInt32 frames)
{
    // The host's callback runs in the host's own floating-point mode.
    readBlockTempo();
    const FloatModeGuard floatMode;
    // A host that hands no buffers still moves time on: the block renders and its MIDI plays,
    // only nothing is written.
    const bool writable = outputs && outputs[0] && outputs[1];
    core.process(writable ? outputs[0] : nullptr, writable ? outputs[1] : nullptr, frames);
}

void Plugin::processReplacing(float** /*inputs*/, float** outputs, VstInt32 frames)
{
    processBlock(outputs, frames);
}

void Plugin::processDoubleReplacing(double** /*inputs*/, double** outputs, VstInt32 frames)
{
    processBlock(outputs, frames);
}

VstInt32 Plugin::processEvents(VstEvents* events)
{
    if (!events)
        return 1;
    // The event record's byteSize is not trusted (hosts disagree on it); every event pointer is
    // a 32-byte record whose type says what it holds.
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        MidiInputEvent input;
        input.deltaFrames = midi->deltaFrames;
        input.status = uint8_t(midi->midiData[0]);
        input.data1 = uint8_t(midi->midiData[1]);
        input.data2 = uint8_t(midi->midiData[2]);
        core.queueMidi(input);
    }
    return 1;
}
