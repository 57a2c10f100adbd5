// The test plug-in loaded the way a host loads it, and waiting on a window while idling it.
#pragma once

#include "vst/vstabi.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace windowtest {

inline VstIntPtr VSTCALLBACK answerHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class LoadedTestPlugin {
public:
    LoadedTestPlugin()
    {
        library = dlopen(GUI_TEST_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return;
        auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        effect = entry ? entry(answerHost) : nullptr;
        if (effect)
            dispatch(effOpen);
    }
    ~LoadedTestPlugin()
    {
        if (effect)
            dispatch(effClose);
        if (library)
            dlclose(library);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    void* library = nullptr;
    AEffect* effect = nullptr;
};

// Calls idle every 10 ms until done() or the time runs out; true when done.
inline bool idleUntil(const std::function<void()>& idle, const std::function<bool()>& done, int millis = 3000)
{
    for (int waited = 0; waited <= millis; waited += 10) {
        idle();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace windowtest
