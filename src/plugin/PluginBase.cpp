#include "PluginBase.h"

#include "presets/ProgramFiles.h"
#include "vst/AEffEditor.h"

#include <cstdio>
#include <cstring>

namespace {

// Copies at most maxChars characters and always terminates.
void copyLimited(char* dest, const char* src, size_t maxChars)
{
    size_t n = std::strlen(src);
    if (n > maxChars)
        n = maxChars;
    std::memcpy(dest, src, n);
    dest[n] = 0;
}

bool isParamIndex(VstInt32 index)
{
    return index >= 0 && index < kNumParams;
}

} // namespace

PluginBase::PluginBase(audioMasterCallback host) : AudioEffectX(host, kNumPrograms, kNumParams)
{
    setNumInputs(0);
    setNumOutputs(2);
    setUniqueID(kUniqueId);
    canProcessReplacing();
    canDoubleReplacing();
    isSynth();
    voiceManager.bind(*this, programs, settings.midiMap, settings.ignoreAmpVelocity, tempoInfo);
}

// Members go in reverse order: the engine, then the settings, then the base with the editor.
PluginBase::~PluginBase()
{
    // A window the host left open is closed while the settings it saves still exist.
    if (editor)
        editor->close();
}

float PluginBase::getParameter(VstInt32 index)
{
    return isParamIndex(index) ? programs.value(index) : 0.0f;
}

void PluginBase::setProgram(VstInt32 program)
{
    if (program >= kNumPrograms)
        program = 0;
    else if (program < 0)
        program = kNumPrograms - 1;
    {
        // Under the render lock: no block may render the old voices with the new values.
        std::lock_guard<std::mutex> lock(engineLock);
        programs.setCurrentNumber(program);
        curProgram = program;
        voiceManager.resetEngine();
    }
    pushValuesToEditor();
    updateDisplay();
    programs.record(ProgramStore::kUndoRecord).copyFrom(programs.current());
}

void PluginBase::nextProgram()
{
    setProgram(programs.currentNumber() + 1);
}

void PluginBase::previousProgram()
{
    setProgram(programs.currentNumber() - 1);
}

void PluginBase::initProgram(VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    programs.record(program).initialize();
    setProgram(program);
}

void PluginBase::initBank(bool useCurrent)
{
    const ProgramRecord& current = programs.current();
    for (int i = 0; i < kNumPrograms; ++i) {
        ProgramRecord& target = programs.record(i);
        if (!useCurrent)
            target.initialize();
        else if (&target != &current)
            target.copyFrom(current);
    }
    setProgram(0);
}

void PluginBase::loadDefaultBank()
{
    if (!settings.dataFolderFound || loadBankFile(programs, settings.defaultBankFile) != kFileOk)
        initBank(false);
    setProgram(0);
}

void PluginBase::allNotesOff()
{
    std::lock_guard<std::mutex> lock(engineLock);
    voiceManager.allNotesOff();
}

void PluginBase::resetEngineSafely()
{
    std::lock_guard<std::mutex> lock(engineLock);
    voiceManager.resetEngine();
}

void PluginBase::setProgramName(char* name)
{
    copyLimited(programs.current().name, name, kProgramNameSize - 1);
}

// Hosts give program names a buffer of kVstMaxProgNameLen bytes, terminator included; the stored
// name may be one character longer and keeps it.
void PluginBase::getProgramName(char* name)
{
    copyLimited(name, programs.current().name, kVstMaxProgNameLen - 1);
}

void PluginBase::getParameterLabel(VstInt32 /*index*/, char* label)
{
    *label = 0;
}

void PluginBase::getParameterName(VstInt32 index, char* text)
{
    if (isParamIndex(index))
        copyLimited(text, kParamTable[index].shortName, kVstMaxParamStrLen);
}

bool PluginBase::canParameterBeAutomated(VstInt32 index)
{
    return isParamIndex(index);
}

bool PluginBase::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    copyLimited(text, programs.record(index).name, kVstMaxProgNameLen - 1);
    return true;
}

bool PluginBase::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index >= 2)
        return false;
    std::snprintf(properties->label, sizeof properties->label, "%d", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool PluginBase::getEffectName(char* name)
{
    copyLimited(name, "Morvelline", kVstMaxEffectNameLen);
    return true;
}

bool PluginBase::getVendorString(char* text)
{
    copyLimited(text, "Hollowfen Software", kVstMaxVendorStrLen);
    return true;
}

bool PluginBase::getProductString(char* text)
{
    copyLimited(text, "Morvelline", kVstMaxProductStrLen);
    return true;
}

VstInt32 PluginBase::canDo(char* text)
{
    static const struct {
        const char* name;
        VstInt32 answer;
    } table[] = {
        {"receiveVstEvents", 1},   {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", 1}, {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1},  {"offline", -1},
        {"midiProgramNames", -1},  {"bypass", -1},
    };
    for (const auto& entry : table)
        if (std::strcmp(text, entry.name) == 0)
            return entry.answer;
    return 0;
}
