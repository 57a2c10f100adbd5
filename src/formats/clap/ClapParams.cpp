#include "ClapParams.h"

#include "ClapPlugin.h"
#include "engine/NoteOffsets.h"
#include "params/DisplayText.h"
#include "params/DisplayTextParse.h"

#include <cmath>
#include <cstring>

namespace {

bool isParamId(clap_id id)
{
    return id < clap_id(kNumParams);
}

uint32_t CLAP_ABI paramCount(const clap_plugin_t*)
{
    return kNumParams;
}

bool CLAP_ABI paramInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info)
{
    if (!isParamId(index) || !info)
        return false;
    *info = {};
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    // What a voice reads for itself can be modulated for one note, by its id or its key.
    if (acceptsNoteOffset(int(index)))
        info->flags |= CLAP_PARAM_IS_MODULATABLE | CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID |
                       CLAP_PARAM_IS_MODULATABLE_PER_KEY | CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL;
    std::strncpy(info->name, kParamTable[index].shortName, CLAP_NAME_SIZE - 1);
    info->min_value = 0.0;
    info->max_value = 1.0;
    info->default_value = kParamTable[index].defaultValue;
    return true;
}

bool CLAP_ABI paramValue(const clap_plugin_t* plugin, clap_id id, double* value)
{
    if (!isParamId(id) || !value)
        return false;
    *value = ClapPlugin::of(plugin).instrument().parameter(int(id));
    return true;
}

// The linked parameter's value as the program holds it now (a cutoff's key amount, a sync).
float linkedValue(const clap_plugin_t* plugin, clap_id id)
{
    const int linked = kParamTable[id].linkedIndex;
    return linked >= 0 ? ClapPlugin::of(plugin).instrument().parameter(linked) : 0.0f;
}

bool CLAP_ABI paramValueToText(const clap_plugin_t* plugin, clap_id id, double value, char* out, uint32_t capacity)
{
    if (!isParamId(id) || !out || capacity == 0 || !std::isfinite(value))
        return false;
    char text[kDisplayTextSize + 8] = "";
    if (!formatParamDisplay(int(id), float(value), linkedValue(plugin, id), text))
        return false;
    std::strncpy(out, text, capacity - 1);
    out[capacity - 1] = 0;
    return true;
}

bool CLAP_ABI paramTextToValue(const clap_plugin_t* plugin, clap_id id, const char* text, double* value)
{
    float parsed = 0.0f;
    if (!isParamId(id) || !text || !value || !parseParamDisplay(int(id), text, linkedValue(plugin, id), parsed))
        return false;
    *value = parsed;
    return true;
}

void CLAP_ABI paramFlush(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out)
{
    ClapPlugin::of(plugin).flush(in, out);
}

} // namespace

const clap_plugin_params_t kClapParams{paramCount, paramInfo, paramValue, paramValueToText, paramTextToValue, paramFlush};
