#include "PluginBase.h"

#include "editor/Editor.h"

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
}

// Members go in reverse order: the core with the engine and the settings, then the base with
// the editor.
PluginBase::~PluginBase()
{
    // A window the host left open is closed while the settings it saves still exist.
    if (editor)
        editor->close();
}

Editor* PluginBase::formatEditor() const
{
    return static_cast<Editor*>(editor);
}

void PluginBase::reportUserEdit(int index, float value)
{
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void PluginBase::reportGesture(int index, bool begins)
{
    if (begins)
        beginEdit(index);
    else
        endEdit(index);
}

void PluginBase::setProgramName(char* name)
{
    copyLimited(core.programStore().current().name, name, kProgramNameSize - 1);
}

// Hosts give program names a buffer of kVstMaxProgNameLen bytes, terminator included; the stored
// name may be one character longer and keeps it.
void PluginBase::getProgramName(char* name)
{
    copyLimited(name, core.programStore().current().name, kVstMaxProgNameLen - 1);
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
    copyLimited(text, core.programStore().record(index).name, kVstMaxProgNameLen - 1);
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
