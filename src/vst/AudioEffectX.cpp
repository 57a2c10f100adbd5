#include "AudioEffectX.h"

#include "AEffEditor.h"

VstPlugCategory AudioEffectX::getPlugCategory()
{
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategEffect;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return callHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return string2parameter(index, text) ? 1 : 0;
    case effGetProgramNameIndexed:
        return text && getProgramNameIndexed(VstInt32(value), index, text) ? 1 : 0;
    case effGetInputProperties:
        return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
        return text && getEffectName(text) ? 1 : 0;
    case effGetVendorString:
        return text && getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return text && getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text ? canDo(text) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
        return editor && editor->onKeyDown(index, VstInt32(value), opt) ? 1 : 0;
    case effEditKeyUp:
        return editor && editor->onKeyUp(index, VstInt32(value), opt) ? 1 : 0;
    case effSetEditKnobMode:
        return editor && editor->setKnobMode(VstInt32(value)) ? 1 : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetProcessPrecision:
        return setProcessPrecision(VstInt32(value)) ? 1 : 0;
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
