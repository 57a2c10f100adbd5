// A minimal host for tests: loads the built plug-in library with dlopen and talks to it only
// through the VST 2.4 binary interface and a host callback whose answers a test can set.
#pragma once

#include "vst/vstabi.h"

#include <string>
#include <vector>

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
};

struct HostBehaviour {
    VstIntPtr versionAnswer = 2400;
    bool giveTimeInfo = true;
    VstTimeInfo timeInfo{};
};

class LoadedPlugin {
public:
    explicit LoadedPlugin(const HostBehaviour& behaviour = {}, const char* path = MORVELLINE_PLUGIN_PATH);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    AEffect* effect() const { return fx; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    std::string stringOf(VstInt32 opcode, VstInt32 index = 0);
    // Renders frames through processReplacing (or processDoubleReplacing) into left and right.
    void render(int frames, std::vector<float>& left, std::vector<float>& right, bool asDouble = false);
    void close();

    HostBehaviour behaviour;
    std::vector<HostCall> calls;

    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt);

private:
    void* library = nullptr;
    AEffect* fx = nullptr;
};
