// A plug-in instance driven in-process, and host-style event lists to hand it.
#pragma once

#include "formats/vst2/Plugin.h"
#include "support/HostEventList.h"

#include <memory>
#include <vector>

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Exposes the render lock so a test can hold it the way a reset on another thread does.
struct TestPlugin : Plugin {
    TestPlugin() : Plugin(quietHost) {}
    using PluginBase::engineLock;
};
