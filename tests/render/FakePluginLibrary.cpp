// Libraries that a host may be pointed at by mistake: one without an entry point, and entry
// points that give no effect, a foreign record, an instrument without outputs, one without an
// editor and one whose editor never opens.
#include "vst/vstabi.h"

#include <cstring>

#if !defined(FAKE_NO_ENTRY)
#if !defined(FAKE_NULL_EFFECT)
namespace {
VstIntPtr VSTCALLBACK dispatcher(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}
void VSTCALLBACK processReplacing(AEffect*, float**, float**, VstInt32) {}
AEffect record;
} // namespace
#endif

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
#if defined(FAKE_NULL_EFFECT)
    return nullptr;
#else
    std::memset(&record, 0, sizeof record);
    record.magic = kEffectMagic;
    record.dispatcher = dispatcher;
    record.processReplacing = processReplacing;
    record.flags = effFlagsCanReplacing | effFlagsIsSynth;
    record.numOutputs = 2;
#if defined(FAKE_BAD_MAGIC)
    record.magic = vstFourCC('N', 'o', 'p', 'e');
#elif defined(FAKE_NO_OUTPUTS)
    record.numOutputs = 0;
#elif defined(FAKE_REFUSING_EDITOR)
    record.flags |= effFlagsHasEditor; // and every editor opcode answers 0
#endif
    return &record;
#endif
}
#else
extern "C" __attribute__((visibility("default"))) int notAPlugin()
{
    return 42;
}
#endif
