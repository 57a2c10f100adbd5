// The UI library's one export, lv2ui_descriptor, and the calls behind it.
#include "Lv2Ui.h"

#include <cstring>
#include <new>

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
        if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    void* parent = const_cast<void*>(featureData(features, LV2_UI__parent));
    if (!map || !map->map || !parent || !write || !widget || !pluginUri ||
        std::strcmp(pluginUri, lv2uri::kPlugin) != 0)
        return nullptr;
    try {
        auto ui = std::make_unique<Lv2Ui>(write, controller, *map);
        if (!ui->open(parent, static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize)),
                      static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch))))
            return nullptr;
        *widget = ui->widget();
        return ui.release();
    } catch (const std::exception&) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle)
{
    delete static_cast<Lv2Ui*>(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    static_cast<Lv2Ui*>(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    static_cast<Lv2Ui*>(handle)->idle();
    return 0;
}

const LV2UI_Idle_Interface kIdle{idle};

const void* extensionData(const char* uri)
{
    return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdle : nullptr;
}

const LV2UI_Descriptor kDescriptor{lv2uri::kUi, instantiate, cleanup, portEvent, extensionData};

} // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
