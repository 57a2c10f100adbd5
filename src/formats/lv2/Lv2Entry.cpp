// The library's one export, lv2_descriptor, and the calls behind it.
#include "Lv2Plugin.h"

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <new>

namespace {

Lv2Plugin& self(LV2_Handle handle)
{
    return *static_cast<Lv2Plugin*>(handle);
}

const void* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
        if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    const auto* options = static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options));
    if (!map || !map->map || !(rate >= 1000.0 && rate <= 768000.0))
        return nullptr;
    // An exception must not unwind into the host's C code: a failed creation is no instance.
    try {
        return new Lv2Plugin(rate, *map, options);
    } catch (const std::exception&) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    self(handle).connectPort(port, data);
}

void activate(LV2_Handle handle)
{
    self(handle).activate();
}

void run(LV2_Handle handle, uint32_t frames)
{
    self(handle).run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle handle)
{
    delete &self(handle);
}

LV2_State_Status saveState(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                           const LV2_Feature* const*)
{
    return self(handle).saveState(store, state);
}

LV2_State_Status restoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                              uint32_t, const LV2_Feature* const*)
{
    return self(handle).restoreState(retrieve, state);
}

uint32_t getOptions(LV2_Handle handle, LV2_Options_Option* options)
{
    return self(handle).getOptions(options);
}

uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options)
{
    return self(handle).setOptions(options);
}

const LV2_State_Interface kState{saveState, restoreState};
const LV2_Options_Interface kOptions{getOptions, setOptions};

const void* extensionData(const char* uri)
{
    if (!uri)
        return nullptr;
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &kState;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0)
        return &kOptions;
    return nullptr;
}

const LV2_Descriptor kDescriptor{lv2uri::kPlugin, instantiate, connectPort, activate, run,
                                 deactivate,      cleanup,     extensionData};

} // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
