#include "PluginHost.h"

#include "CpuClock.h"
#include "PluginLibrary.h"

#include <algorithm>
#include <cstring>

namespace {

// The host whose plug-in is being created: the entry point may call back before the effect
// exists, or before we could tag it as ours.
PluginHost* creatingHost = nullptr;

// Plug-ins may write more than the nominal string lengths; give them plenty of zeroed room.
constexpr size_t kStringBuffer = 512;

const char* const kHostCanDo[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "startStopProcess",
                                  "supplyIdle"};

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

} // namespace

VstIntPtr VSTCALLBACK PluginHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                               void* ptr, float opt)
{
    PluginHost* host = nullptr;
    if (effect && effect->resvd1)
        host = reinterpret_cast<PluginHost*>(effect->resvd1);
    else
        host = creatingHost;
    if (!host) {
        // Answers that need no instance.
        if (opcode == audioMasterVersion)
            return kVstVersion;
        return 0;
    }
    return host->answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::answer(VstInt32 opcode, VstInt32 /*index*/, VstIntPtr /*value*/, void* ptr, float /*opt*/)
{
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    case audioMasterGetSampleRate:
        return VstIntPtr(rate);
    case audioMasterGetBlockSize:
        return maxBlock;
    case audioMasterGetCurrentProcessLevel:
        return inProcess ? 2 : 1; // real-time audio thread while processing, else user thread
    case audioMasterGetAutomationState:
        return 1; // off
    case audioMasterGetVendorString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "Morvelline");
        return 1;
    case audioMasterGetProductString:
        if (ptr)
            std::strcpy(static_cast<char*>(ptr), "morvelline-render");
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterGetLanguage:
        return 1; // English
    case audioMasterCanDo:
        if (ptr)
            for (const char* what : kHostCanDo)
                if (std::strcmp(static_cast<const char*>(ptr), what) == 0)
                    return 1;
        return 0;
    case audioMasterWantMidi:
        return 1;
    // A command-line host has no automation lanes and no window: these are acknowledged only.
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterUpdateDisplay:
    case audioMasterIOChanged:
    case audioMasterSizeWindow:
    case audioMasterIdle:
    case audioMasterCurrentId:
    case audioMasterProcessEvents:
    default:
        return 0;
    }
}

PluginHost::PluginHost(const std::string& libraryPath)
{
    library = openLibrary(libraryPath);
    if (!library)
        throw HostError(oneLine("cannot load plug-in '" + libraryPath + "': " + libraryError()));
    auto entry = reinterpret_cast<VstPluginMainProc>(findSymbol(library, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<VstPluginMainProc>(findSymbol(library, "main"));
    if (!entry) {
        closeLibrary(library);
        throw HostError("'" + libraryPath + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
    }
    try {
        create(entry, libraryPath);
    } catch (...) {
        closeLibrary(library);
        throw;
    }
}

PluginHost::PluginHost(VstPluginMainProc entry, const std::string& name)
{
    create(entry, name);
}

void PluginHost::create(VstPluginMainProc entry, const std::string& name)
{
    timeInfo.sampleRate = rate;
    timeInfo.tempo = 120;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstBarsValid;

    creatingHost = this;
    fx = entry(hostCallback);
    creatingHost = nullptr;
    if (!fx)
        throw HostError("'" + name + "' is not a usable VST 2.4 plug-in: its entry point returned no effect");
    if (fx->magic != kEffectMagic) {
        fx = nullptr; // not an effect we may call into
        throw HostError("'" + name + "' is not a VST 2.4 plug-in: the effect has the wrong magic number");
    }
    fx->resvd1 = reinterpret_cast<VstIntPtr>(this);
    auto reject = [&](const std::string& why) {
        fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
        fx = nullptr;
        throw HostError("'" + name + "' " + why);
    };
    if (fx->numOutputs <= 0)
        reject("has no audio outputs");
    if (fx->numOutputs > kMaxPluginChannels || fx->numInputs < 0 || fx->numInputs > kMaxPluginChannels)
        reject("reports an implausible number of audio channels");
    if (!fx->process && !((fx->flags & effFlagsCanReplacing) && fx->processReplacing))
        reject("has no process function");
    outputs = fx->numOutputs;
    inputs = fx->numInputs;
    dispatch(effOpen);
    opened = true;
}

PluginHost::~PluginHost()
{
    shutDown();
    if (library)
        closeLibrary(library);
}

void PluginHost::shutDown()
{
    if (!fx)
        return;
    stop();
    if (opened)
        dispatch(effClose);
    fx = nullptr;
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return fx->dispatcher(fx, opcode, index, value, ptr, opt);
}

std::string PluginHost::stringOf(VstInt32 opcode, VstInt32 index)
{
    char text[kStringBuffer];
    std::memset(text, 0, sizeof text);
    dispatch(opcode, index, 0, text);
    text[kStringBuffer - 1] = 0;
    return text;
}

void PluginHost::configure(double sampleRate, int blockSize, bool doublePrecision)
{
    if (running)
        throw HostError("the plug-in cannot be reconfigured while it runs");
    if (doublePrecision && !canDouble())
        throw HostError("the plug-in cannot process in double precision");
    rate = sampleRate;
    maxBlock = blockSize;
    useDouble = doublePrecision;
    timeInfo.sampleRate = rate;
    dispatch(effSetSampleRate, 0, 0, nullptr, float(rate));
    dispatch(effSetBlockSize, 0, maxBlock);
    dispatch(effSetProcessPrecision, 0, useDouble ? 1 : 0);

    auto makeBuffers = [&](auto& storage, auto& pointers, int count) {
        storage.assign(size_t(count), {});
        pointers.clear();
        for (auto& b : storage) {
            b.assign(size_t(maxBlock), 0);
            pointers.push_back(b.data());
        }
    };
    if (useDouble) {
        makeBuffers(doubleOut, doubleOutPtrs, outputs);
        makeBuffers(doubleIn, doubleInPtrs, std::max(inputs, 1));
        floatOut.assign(size_t(outputs), std::vector<float>(size_t(maxBlock), 0.0f));
    } else {
        makeBuffers(floatOut, floatOutPtrs, outputs);
        makeBuffers(floatIn, floatInPtrs, std::max(inputs, 1));
    }
}

std::string PluginHost::effectName()
{
    std::string name = stringOf(effGetEffectName);
    if (name.empty())
        name = stringOf(effGetProductString);
    return name;
}

std::vector<PluginParameter> PluginHost::parameters()
{
    std::vector<PluginParameter> list;
    for (int i = 0; i < fx->numParams; ++i)
        list.push_back(
            {i, stringOf(effGetParamName, i), stringOf(effGetParamDisplay, i), stringOf(effGetParamLabel, i)});
    return list;
}

int PluginHost::findParameter(const std::string& name)
{
    std::vector<std::string> names;
    for (int i = 0; i < fx->numParams; ++i)
        names.push_back(stringOf(effGetParamName, i));
    return findParameterByName(names, name);
}

void PluginHost::setParameter(int index, float value)
{
    fx->setParameter(fx, index, value);
}

void PluginHost::setProgram(int program)
{
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, program);
    dispatch(effEndSetProgram);
}

std::vector<std::string> PluginHost::programNames()
{
    std::vector<std::string> names;
    bool indexed = true;
    for (int i = 0; i < fx->numPrograms && indexed; ++i) {
        char text[kStringBuffer] = {};
        indexed = dispatch(effGetProgramNameIndexed, i, -1, text) != 0;
        text[kStringBuffer - 1] = 0;
        names.push_back(text);
    }
    if (indexed)
        return names;
    // Plug-ins without the indexed query name only their current program: visit each one.
    names.clear();
    const VstIntPtr current = dispatch(effGetProgram);
    for (int i = 0; i < fx->numPrograms; ++i) {
        setProgram(i);
        names.push_back(stringOf(effGetProgramName));
    }
    if (fx->numPrograms > 0)
        setProgram(int(current));
    return names;
}

void PluginHost::start()
{
    if (running)
        return;
    if (floatOut.empty())
        configure(rate, maxBlock, useDouble);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void PluginHost::stop()
{
    if (!running)
        return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginHost::processBlock(const std::vector<BlockEvent>& events, int frames)
{
    if (!running)
        start();
    frames = std::clamp(frames, 0, maxBlock);
    // The event records stay alive until the next block, as plug-ins may keep the pointers
    // for the length of the process call.
    if (midiEvents.size() < events.size())
        midiEvents.resize(events.size());
    size_t words = 2 + std::max<size_t>(events.size(), 2);
    if (eventList.size() < words)
        eventList.resize(words);
    auto* list = reinterpret_cast<VstEvents*>(eventList.data());
    list->numEvents = VstInt32(events.size());
    list->reserved = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        VstMidiEvent& m = midiEvents[i];
        std::memset(&m, 0, sizeof m);
        m.type = kVstMidiType;
        m.byteSize = sizeof(VstMidiEvent);
        m.deltaFrames = events[i].deltaFrame;
        std::memcpy(m.midiData, events[i].bytes, 3);
        list->events[i] = reinterpret_cast<VstEvent*>(&m);
    }

    // Silent inputs each block (a plug-in may write to them), filled outside the timed calls.
    for (auto& b : doubleIn)
        std::fill(b.begin(), b.begin() + frames, 0.0);
    for (auto& b : floatIn)
        std::fill(b.begin(), b.begin() + frames, 0.0f);
    double before = threadCpuSeconds();
    inProcess = true;
    if (!events.empty())
        dispatch(effProcessEvents, 0, 0, list);
    if (useDouble) {
        fx->processDoubleReplacing(fx, doubleInPtrs.data(), doubleOutPtrs.data(), frames);
    } else {
        if ((fx->flags & effFlagsCanReplacing) && fx->processReplacing) {
            fx->processReplacing(fx, floatInPtrs.data(), floatOutPtrs.data(), frames);
        } else {
            for (auto& b : floatOut) // the old accumulating call adds to what is there
                std::fill(b.begin(), b.begin() + frames, 0.0f);
            fx->process(fx, floatInPtrs.data(), floatOutPtrs.data(), frames);
        }
    }
    inProcess = false;
    cpuSeconds += std::max(0.0, threadCpuSeconds() - before - clockReadSeconds());
    if (useDouble)
        for (int c = 0; c < outputs; ++c)
            for (int i = 0; i < frames; ++i)
                floatOut[size_t(c)][size_t(i)] = float(doubleOut[size_t(c)][size_t(i)]);
    timeInfo.flags &= ~kVstTransportChanged;
}

bool PluginHost::editorSize(int& width, int& height)
{
    ERect* rect = nullptr;
    if (!editorCall(effEditGetRect, &rect) || !rect)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}
