#include "AudioEffect.h"

#include "AEffEditor.h"

namespace {

VstIntPtr VSTCALLBACK dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return AudioEffect::fromAeffect(e)->dispatcher(opcode, index, value, ptr, opt);
}

// The deprecated accumulating entry: kept distinct from processReplacing, since some hosts take
// equal pointers for a faulty plug-in.
void VSTCALLBACK processAccumulating(AEffect*, float**, float**, VstInt32) {}

void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs, float** outputs, VstInt32 frames)
{
    AudioEffect::fromAeffect(e)->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK processDoubleReplacingEntry(AEffect* e, double** inputs, double** outputs, VstInt32 frames)
{
    AudioEffect::fromAeffect(e)->processDoubleReplacing(inputs, outputs, frames);
}

void VSTCALLBACK setParameterEntry(AEffect* e, VstInt32 index, float value)
{
    AudioEffect::fromAeffect(e)->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* e, VstInt32 index)
{
    return AudioEffect::fromAeffect(e)->getParameter(index);
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount)
    : numPrograms(programCount), numParams(paramCount), audioMaster(host)
{
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffect;
    cEffect.process = processAccumulating;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = vstFourCC('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool on)
{
    if (on)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        delete this;
        return 1;
    case effSetProgram:
        // Below zero is a program number too (the last one); a narrowing cast could turn a
        // wide negative value into a valid-looking one.
        if (value < numPrograms)
            setProgram(value < 0 ? -1 : VstInt32(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr)
            getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr)
            getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr)
            getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr)
            getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(VstInt32(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        return editor && ptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor ? editor->open(ptr) : 0;
    case effEditClose:
        if (!editor)
            return 0;
        editor->close();
        return 1;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return vstFourCC('N', 'v', 'E', 'f');
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        return ptr ? setChunk(ptr, VstInt32(value), index != 0) : 0;
    default:
        return 0;
    }
}
