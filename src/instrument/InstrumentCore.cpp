#include "instrument/InstrumentCore.h"

#include "editor/Editor.h"
#include "editor/EditorCommands.h"
#include "engine/MasterStage.h"
#include "params/DisplayText.h"
#include "presets/ProgramFiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool isParamIndex(int index)
{
    return index >= 0 && index < kNumParams;
}

} // namespace

InstrumentCore::InstrumentCore(InstrumentFormat& owner) : format(owner)
{
    voiceManager.bind(*this, programs, settings.midiMap, settings.ignoreAmpVelocity, tempoInfo);
    voiceManager.bindPlaying(settings.playing);
    masterVolume.timeMs = 40.0f;
    // The host usually sets its own rate before switching on: tables for 44.1 kHz would be
    // built in vain, so they are only taken at the next activation.
    voiceManager.setEngineSampleRate(rate);
    masterVolume.setSampleRate(rate);
}

void InstrumentCore::setSampleRate(float newRate)
{
    // A rate no audio device has would make the smoothers unstable: keep the current one.
    if (newRate >= 1000.0f && newRate <= 768000.0f)
        rate = newRate;
    std::lock_guard<std::mutex> lock(engineLock);
    voiceManager.setEngineSampleRate(rate);
    voiceManager.prepareRate();
    masterVolume.setSampleRate(rate);
    masterVolume.value = 0.0f;
}

void InstrumentCore::activate()
{
    {
        std::lock_guard<std::mutex> lock(engineLock);
        voiceManager.prepareRate();
    }
    reset();
}

void InstrumentCore::reset()
{
    std::lock_guard<std::mutex> lock(engineLock);
    voiceManager.resetEngine();
}

void InstrumentCore::allNotesOff()
{
    std::lock_guard<std::mutex> lock(engineLock);
    voiceManager.allNotesOff();
}

void InstrumentCore::setTempo(float beatsPerMinute, int timeSigDenominator)
{
    tempoInfo.tempo = beatsPerMinute > 0.0f && std::isfinite(beatsPerMinute) ? beatsPerMinute : 120.0f;
    tempoInfo.timeSigDenominator = timeSigDenominator > 0 ? timeSigDenominator : 4;
}

template <typename Sample>
void InstrumentCore::process(Sample* left, Sample* right, int frames, std::span<const TimedParameter> parameters)
{
    std::unique_lock<std::mutex> lock(engineLock, std::try_to_lock);
    if (!lock.owns_lock()) {
        // The user-interface thread is resetting the engine: this block stays silent, and its
        // MIDI is played at the start of the next one. Parameter changes are values, kept now.
        for (const TimedParameter& change : parameters)
            setParameter(change.index, change.value);
        for (int i = 0; left && right && i < frames; ++i)
            left[i] = right[i] = 0;
        voiceManager.carryOverSkippedBlock(frames);
        return;
    }
    int done = 0;
    for (const TimedParameter& change : parameters) {
        const int at = std::clamp(change.frame, done, frames);
        renderSpan(left, right, frames, done, at - done);
        done = at;
        setParameter(change.index, change.value);
    }
    renderSpan(left, right, frames, done, frames - done);
    voiceManager.clearEventQueue();
}

template <typename Sample>
void InstrumentCore::renderSpan(Sample* left, Sample* right, int frames, int first, int count)
{
    for (int end = first + count; first < end;) {
        const int slice = std::min(kSliceFrames, end - first);
        voiceManager.renderFrames(sliceLeft, sliceRight, frames, first, slice);
        const float volume = programs.value(Param::Volume);
        // Silence through a settled gain stays silence: an idle instance skips the stage.
        if (!voiceManager.renderedSilence() || !masterVolume.settledOn(safeMasterTarget(volume)))
            applyMasterStage(masterVolume, volume, sliceLeft, sliceRight, slice);
        for (int i = 0; left && right && i < slice; ++i) {
            left[first + i] = sliceLeft[i];
            right[first + i] = sliceRight[i];
        }
        first += slice;
    }
}

template void InstrumentCore::process<float>(float*, float*, int, std::span<const TimedParameter>);
template void InstrumentCore::process<double>(double*, double*, int, std::span<const TimedParameter>);

float InstrumentCore::parameter(int index) const
{
    return isParamIndex(index) ? programs.value(index) : 0.0f;
}

bool InstrumentCore::setParameter(int index, float value)
{
    // A NaN or infinity from a host would reach the sound and the saved files: keep the value.
    if (!isParamIndex(index) || !std::isfinite(value))
        return false;
    programs.current().set(index, value);
    Editor* ed = editor();
    if (ed && ed->isOpen())
        ed->setParameter(index, value);
    return true;
}

bool InstrumentCore::parameterText(int index, char* text) const
{
    if (!isParamIndex(index) || !text)
        return false;
    formatParamDisplay(index, programs.current(), text);
    return true;
}

void InstrumentCore::editParameter(int index, float value)
{
    if (setParameter(index, value))
        format.reportUserEdit(index, value);
}

void InstrumentCore::parameterGesture(int index, bool begins)
{
    if (isParamIndex(index))
        format.reportGesture(index, begins);
}

void InstrumentCore::editorCommand(int tag, float value)
{
    Editor* ed = editor();
    if (ed && ed->isOpen())
        handleEditorCommand(commands, tag, value);
}

void InstrumentCore::selectProgram(int number)
{
    if (number >= kNumPrograms)
        number = 0;
    else if (number < 0)
        number = kNumPrograms - 1;
    {
        // Under the render lock: no block may render the old voices with the new values.
        std::lock_guard<std::mutex> lock(engineLock);
        programs.setCurrentNumber(number);
        voiceManager.resetEngine();
    }
    refreshValues();
    programs.record(ProgramStore::kUndoRecord).copyFrom(programs.current());
}

void InstrumentCore::initProgram(int number)
{
    if (number < 0 || number >= kNumPrograms)
        return;
    programs.record(number).initialize();
    selectProgram(number);
}

void InstrumentCore::initBank(bool useCurrent)
{
    const ProgramRecord& current = programs.current();
    for (int i = 0; i < kNumPrograms; ++i) {
        ProgramRecord& target = programs.record(i);
        if (!useCurrent)
            target.initialize();
        else if (&target != &current)
            target.copyFrom(current);
    }
    selectProgram(0);
}

void InstrumentCore::loadDefaultBank()
{
    if (!settings.dataFolderFound || loadBankFile(programs, settings.defaultBankFile) != kFileOk)
        initBank(false);
    selectProgram(0);
}

InstrumentState InstrumentCore::captureState() const
{
    InstrumentState state;
    const ProgramRecord& current = programs.current();
    state.program = programs.currentNumber();
    std::memcpy(state.name, current.name, sizeof state.name);
    for (int i = 0; i < kNumParams; ++i)
        state.values[i] = current.get(i);
    return state;
}

void InstrumentCore::restoreState(const InstrumentState& state)
{
    {
        std::lock_guard<std::mutex> lock(engineLock);
        programs.setCurrentNumber(std::clamp(state.program, 0, kNumPrograms - 1));
        ProgramRecord& current = programs.current();
        std::memcpy(current.name, state.name, sizeof current.name);
        current.name[kProgramNameSize - 1] = 0;
        for (int i = 0; i < kNumParams; ++i)
            current.set(i, state.values[i]);
        voiceManager.resetEngine();
    }
    refreshValues();
    programs.record(ProgramStore::kUndoRecord).copyFrom(programs.current());
}

void InstrumentCore::refreshValues()
{
    pushValuesToEditor();
    format.reportAllValuesChanged();
}

void InstrumentCore::pushValuesToEditor()
{
    Editor* ed = editor();
    if (!ed || !ed->isOpen())
        return;
    for (int i = 0; i < kNumParams; ++i)
        ed->setParameter(i, programs.value(i));
}
