#include "LoadedPlugin.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

namespace {
LoadedPlugin* activeHost = nullptr;
}

VstIntPtr VSTCALLBACK LoadedPlugin::callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float)
{
    LoadedPlugin* host = activeHost;
    if (!host)
        return opcode == audioMasterVersion ? 2400 : 0;
    host->calls.push_back({opcode, index, value});
    switch (opcode) {
    case audioMasterVersion:
        return host->behaviour.versionAnswer;
    case audioMasterGetTime:
        return host->behaviour.giveTimeInfo ? reinterpret_cast<VstIntPtr>(&host->behaviour.timeInfo) : 0;
    default:
        return 0;
    }
}

LoadedPlugin::LoadedPlugin(const HostBehaviour& hostBehaviour, const char* path) : behaviour(hostBehaviour)
{
    behaviour.timeInfo.sampleRate = 44100;
    if (behaviour.timeInfo.tempo == 0 && behaviour.timeInfo.timeSigDenominator == 0) {
        behaviour.timeInfo.tempo = 120;
        behaviour.timeInfo.timeSigNumerator = 4;
        behaviour.timeInfo.timeSigDenominator = 4;
        behaviour.timeInfo.flags = kVstTempoValid | kVstTimeSigValid;
    }
    library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        throw std::runtime_error(dlerror());
    auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
    if (!entry)
        throw std::runtime_error("no VSTPluginMain");
    activeHost = this;
    fx = entry(callback);
}

LoadedPlugin::~LoadedPlugin()
{
    close();
    if (activeHost == this)
        activeHost = nullptr;
    if (library)
        dlclose(library);
}

void LoadedPlugin::close()
{
    if (fx)
        fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
    fx = nullptr;
}

VstIntPtr LoadedPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return fx->dispatcher(fx, opcode, index, value, ptr, opt);
}

std::string LoadedPlugin::stringOf(VstInt32 opcode, VstInt32 index)
{
    char text[256];
    std::memset(text, 0, sizeof text);
    dispatch(opcode, index, 0, text);
    return text;
}

void LoadedPlugin::render(int frames, std::vector<float>& left, std::vector<float>& right, bool asDouble)
{
    left.assign(size_t(frames), 99.0f);
    right.assign(size_t(frames), 99.0f);
    if (asDouble) {
        std::vector<double> l(size_t(frames), 99.0), r(size_t(frames), 99.0);
        double* outs[2] = {l.data(), r.data()};
        fx->processDoubleReplacing(fx, nullptr, outs, frames);
        for (int i = 0; i < frames; ++i) {
            left[size_t(i)] = float(l[size_t(i)]);
            right[size_t(i)] = float(r[size_t(i)]);
        }
        return;
    }
    float* outs[2] = {left.data(), right.data()};
    fx->processReplacing(fx, nullptr, outs, frames);
}
