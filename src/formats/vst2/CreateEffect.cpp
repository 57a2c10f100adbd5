#include "Plugin.h"

#include <cstdlib>
#include <ctime>
#include <new>

AEffect* createEffectInstance(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    std::srand(unsigned(std::time(nullptr)));
    // An exception must not unwind into the host's C code: a failed creation is a null effect.
    try {
        auto* plugin = new Plugin(host);
        return plugin->getAeffect();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
