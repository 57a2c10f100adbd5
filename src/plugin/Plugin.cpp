#include "Plugin.h"

#include "params/DisplayText.h"
#include "FloatModeGuard.h"
#include "editor/Editor.h"
#include "engine/MasterStage.h"
#include "plugin/PluginProgramHost.h"
#include "editor/EditorCommands.h"

#include <algorithm>
#include <cmath>

Plugin::Plugin(audioMasterCallback host) : PluginBase(host)
{
    masterVolume.timeMs = 40.0f;
    // The host usually sets its own rate before switching on: tables for 44.1 kHz would be
    // built in vain, so they are only taken at the next rate change or switch-on.
    setSampleRate(44100.0f);
    constructed = true;
    setEditor(new Editor(this, *this));
    // The bank a new instance starts with; ends with program 0 selected.
    loadDefaultBank();
}

Editor* Plugin::pluginEditor() const
{
    return static_cast<Editor*>(editor);
}

void Plugin::setSampleRate(float rate)
{
    // A rate no audio device has would make the smoothers unstable: keep the current one.
    if (!(rate >= 1000.0f && rate <= 768000.0f))
        rate = getSampleRate();
    {
        std::lock_guard<std::mutex> lock(engineLock);
        voiceManager.setEngineSampleRate(rate);
        if (constructed)
            voiceManager.prepareRate();
        masterVolume.setSampleRate(rate);
        masterVolume.value = 0.0f;
    }
    AudioEffect::setSampleRate(rate);
}

void Plugin::suspend()
{
    resetEngineSafely();
}

void Plugin::resume()
{
    {
        std::lock_guard<std::mutex> lock(engineLock);
        voiceManager.prepareRate();
    }
    resetEngineSafely();
}

void Plugin::readBlockTempo()
{
    const auto* signature = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, kVstTimeSigValid));
    tempoInfo.timeSigDenominator = signature && signature->timeSigDenominator != 0 ? signature->timeSigDenominator : 4;
    const auto* timing = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, kVstTempoValid));
    tempoInfo.tempo = timing && timing->tempo != 0.0 ? float(timing->tempo) : 120.0f;
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
    std::unique_lock<std::mutex> lock(engineLock, std::try_to_lock);
    if (!lock.owns_lock()) {
        // The user-interface thread is resetting the engine: this block stays silent, and its
        // MIDI is played at the start of the next one.
        for (VstInt32 i = 0; writable && i < frames; ++i)
            outputs[0][i] = outputs[1][i] = 0;
        voiceManager.carryOverSkippedBlock(frames);
        return;
    }
    for (VstInt32 first = 0; first < frames; first += kSliceFrames) {
        const int count = int(std::min<VstInt32>(kSliceFrames, frames - first));
        voiceManager.renderFrames(sliceLeft, sliceRight, frames, first, count);
        const float volume = programs.value(Param::Volume);
        // Silence through a settled gain stays silence: an idle instance skips the stage.
        if (!voiceManager.renderedSilence() || !masterVolume.settledOn(safeMasterTarget(volume)))
            applyMasterStage(masterVolume, volume, sliceLeft, sliceRight, count);
        for (int i = 0; writable && i < count; ++i) {
            outputs[0][first + i] = sliceLeft[i];
            outputs[1][first + i] = sliceRight[i];
        }
    }
    voiceManager.clearEventQueue();
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
        voiceManager.queueEvent(input);
    }
    return 1;
}

void Plugin::setParameter(VstInt32 index, float value)
{
    Editor* ed = pluginEditor();
    if (!ed)
        return;
    if (index >= 0 && index < kNumParams) {
        // A NaN or infinity from a host would reach the sound and the saved files: keep the value.
        if (!std::isfinite(value))
            return;
        programs.current().set(index, value);
        if (ed->isOpen())
            ed->setParameter(index, value);
    }
    // Indices past the table are ignored: the editor's commands (file dialogs, bank loads) must
    // not run on whatever thread a host automates from.
}

void Plugin::editorCommand(int tag, float value)
{
    Editor* ed = pluginEditor();
    if (ed && ed->isOpen())
        handleEditorCommand(commandHost, tag, value);
}

void Plugin::pushValuesToEditor()
{
    Editor* ed = pluginEditor();
    if (!ed || !ed->isOpen())
        return;
    for (int i = 0; i < kNumParams; ++i)
        ed->setParameter(i, programs.value(i));
}

void Plugin::getParameterDisplay(VstInt32 index, char* text)
{
    // Indices outside the table and coded values without a name leave the host's text as it was.
    if (index < 0 || index >= kNumParams || !text)
        return;
    formatParamDisplay(index, programs.current(), text);
}
