// The library's exported entry point, under both names hosts look for.
#include "Plugin.h"

#if defined(_WIN32)
#define MORVELLINE_EXPORT extern "C" __declspec(dllexport)
#else
#define MORVELLINE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

MORVELLINE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host)
{
    return createEffectInstance(host);
}

#if !defined(_WIN32)
// Older Linux hosts look up "main"; a C++ function cannot carry that name, so an assembler label
// gives it. The Windows export of the alias comes from the module definition file.
MORVELLINE_EXPORT AEffect* legacyMain(audioMasterCallback host) __asm__("main");
MORVELLINE_EXPORT AEffect* legacyMain(audioMasterCallback host)
{
    return createEffectInstance(host);
}
#endif
