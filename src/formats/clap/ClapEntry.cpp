// The library's one export, clap_entry, and the factory behind it that makes instances.
#include "ClapPlugin.h"
#include "params/PluginIdentity.h"

#include <cstring>
#include <new>

#if defined(_WIN32)
#define MORVELLINE_CLAP_EXPORT extern "C" __declspec(dllexport)
#else
#define MORVELLINE_CLAP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr const char* kPluginId = "com.hollowfen.morvelline";
const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_INSTRUMENT, CLAP_PLUGIN_FEATURE_SYNTHESIZER,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

// The vendor version 1302 reads 1.3.2.
const char* versionText()
{
    static char text[16] = "";
    if (!text[0])
        std::snprintf(text, sizeof text, "%d.%d.%d", kVendorVersion / 1000, kVendorVersion / 100 % 10, kVendorVersion % 100);
    return text;
}

const clap_plugin_descriptor_t& descriptor()
{
    static const clap_plugin_descriptor_t value{CLAP_VERSION,
                                                kPluginId,
                                                "Morvelline",
                                                "Hollowfen Software",
                                                "",
                                                "",
                                                "",
                                                versionText(),
                                                "A polyphonic synthesizer with two oscillator sides, two filters and "
                                                "a 24-slot modulation matrix",
                                                kFeatures};
    return value;
}

uint32_t CLAP_ABI factoryCount(const clap_plugin_factory_t*)
{
    return 1;
}

const clap_plugin_descriptor_t* CLAP_ABI factoryDescriptor(const clap_plugin_factory_t*, uint32_t index)
{
    return index == 0 ? &descriptor() : nullptr;
}

const clap_plugin_t* CLAP_ABI factoryCreate(const clap_plugin_factory_t*, const clap_host_t* host, const char* id)
{
    if (!host || !id || std::strcmp(id, kPluginId) != 0 || !clap_version_is_compatible(host->clap_version))
        return nullptr;
    auto* instance = new (std::nothrow) ClapPlugin(host, &descriptor());
    return instance ? instance->plugin() : nullptr;
}

const clap_plugin_factory_t kFactory{factoryCount, factoryDescriptor, factoryCreate};

bool CLAP_ABI entryInit(const char*)
{
    return true;
}

void CLAP_ABI entryDeinit() {}

const void* CLAP_ABI entryFactory(const char* id)
{
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

} // namespace

MORVELLINE_CLAP_EXPORT const clap_plugin_entry_t clap_entry{CLAP_VERSION, entryInit, entryDeinit, entryFactory};
