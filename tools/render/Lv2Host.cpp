#include "Lv2Host.h"

#include "CpuClock.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/patch/patch.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kEventBytes = 64 * 1024;

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<Lv2Host*>(handle)->map(uri);
}

const char* unmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<Lv2Host*>(handle)->unmap(urid);
}

// A lilv node that frees itself.
struct Node {
    LilvNode* node;
    explicit Node(LilvNode* n) : node(n) {}
    ~Node() { lilv_node_free(node); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    operator const LilvNode*() const { return node; }
};

} // namespace

Lv2Host::Lv2Host(const std::string& bundlePath)
{
    mapFeature = {this, mapUri};
    unmapFeature = {this, unmapUrid};
    world = lilv_world_new();
    std::string path = bundlePath;
    if (path.empty() || path.back() != '/')
        path += '/';
    Node bundle(lilv_new_file_uri(world, nullptr, path.c_str()));
    lilv_world_load_bundle(world, bundle);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
    LILV_FOREACH (plugins, i, plugins) {
        const LilvPlugin* candidate = lilv_plugins_get(plugins, i);
        if (lilv_node_equals(lilv_plugin_get_bundle_uri(candidate), bundle)) {
            plugin = candidate;
            break;
        }
    }
    if (!plugin) {
        lilv_world_free(world);
        throw HostError("no LV2 plug-in in '" + bundlePath + "'");
    }
    findPorts();
}

Lv2Host::~Lv2Host()
{
    stop();
    if (instance)
        lilv_instance_free(instance);
    for (LilvNode* node : presetNodes)
        lilv_node_free(node);
    lilv_world_free(world);
}

LV2_URID Lv2Host::map(const char* uri)
{
    const auto found = ids.find(uri);
    if (found != ids.end())
        return found->second;
    uris.push_back(uri);
    return ids[uri] = LV2_URID(uris.size());
}

const char* Lv2Host::unmap(LV2_URID urid) const
{
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

void Lv2Host::findPorts()
{
    Node input(lilv_new_uri(world, LV2_CORE__InputPort));
    Node control(lilv_new_uri(world, LV2_CORE__ControlPort));
    Node audioClass(lilv_new_uri(world, LV2_CORE__AudioPort));
    Node atomClass(lilv_new_uri(world, LV2_ATOM__AtomPort));
    portCount = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(portCount);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    for (uint32_t i = 0; i < portCount; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const bool isInput = lilv_port_is_a(plugin, port, input);
        if (lilv_port_is_a(plugin, port, control) && isInput)
            controls.push_back({i, lilv_node_as_string(lilv_port_get_symbol(plugin, port)), defaults[i]});
        else if (lilv_port_is_a(plugin, port, audioClass) && !isInput)
            audioPorts.push_back(i);
        else if (lilv_port_is_a(plugin, port, atomClass))
            (isInput ? eventPort : notifyPort) = i;
    }
    if (audioPorts.empty())
        throw HostError("the LV2 plug-in has no audio outputs");
    Node presetClass(lilv_new_uri(world, LV2_PRESETS__Preset));
    LilvNodes* related = lilv_plugin_get_related(plugin, presetClass);
    LILV_FOREACH (nodes, i, related)
        presetNodes.push_back(lilv_node_duplicate(lilv_nodes_get(related, i)));
    lilv_nodes_free(related);
    std::sort(presetNodes.begin(), presetNodes.end(), [](const LilvNode* a, const LilvNode* b) {
        return std::strcmp(lilv_node_as_uri(a), lilv_node_as_uri(b)) < 0;
    });
}

void Lv2Host::configure(double sampleRate, int blockSize, bool doublePrecision)
{
    if (doublePrecision)
        throw HostError("an LV2 plug-in cannot process in double precision");
    rate = sampleRate;
    maxBlock = blockSize;
    instantiate();
}

void Lv2Host::instantiate()
{
    stop();
    if (instance)
        lilv_instance_free(instance);
    optionBlock = maxBlock;
    const LV2_URID intType = map(LV2_ATOM__Int);
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType, &optionBlock},
        {LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t), intType, &optionBlock},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature mapF{LV2_URID__map, &mapFeature};
    const LV2_Feature unmapF{LV2_URID__unmap, &unmapFeature};
    const LV2_Feature optionsF{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature* features[] = {&mapF, &unmapF, &optionsF, nullptr};
    instance = lilv_plugin_instantiate(plugin, rate, features);
    if (!instance)
        throw HostError("the LV2 plug-in refused to start at this sample rate");
    audio.assign(audioPorts.size(), std::vector<float>(size_t(maxBlock)));
    eventBuffer.assign(kEventBytes / 8, 0);
    notifyBuffer.assign(kEventBytes / 8, 0);
    lastTempo = -1.0f;
    connectPorts();
}

void Lv2Host::connectPorts()
{
    for (uint32_t i = 0; i < portCount; ++i)
        lilv_instance_connect_port(instance, i, nullptr);
    for (ControlPort& port : controls)
        lilv_instance_connect_port(instance, port.index, &port.value);
    for (size_t i = 0; i < audioPorts.size(); ++i)
        lilv_instance_connect_port(instance, audioPorts[i], audio[i].data());
    if (eventPort != UINT32_MAX)
        lilv_instance_connect_port(instance, eventPort, eventBuffer.data());
    if (notifyPort != UINT32_MAX)
        lilv_instance_connect_port(instance, notifyPort, notifyBuffer.data());
}

std::string Lv2Host::effectName()
{
    LilvNode* name = lilv_plugin_get_name(plugin);
    std::string text = name ? lilv_node_as_string(name) : "";
    lilv_node_free(name);
    return text;
}

std::vector<PluginParameter> Lv2Host::parameters()
{
    std::vector<PluginParameter> list;
    for (size_t i = 0; i < controls.size(); ++i)
        list.push_back({int(i), controls[i].symbol, std::to_string(controls[i].value), ""});
    return list;
}

int Lv2Host::findParameter(const std::string& name)
{
    std::vector<std::string> names;
    for (const ControlPort& port : controls)
        names.push_back(port.symbol);
    return findParameterByName(names, name);
}

void Lv2Host::setParameter(int index, float value)
{
    if (index >= 0 && size_t(index) < controls.size())
        controls[size_t(index)].value = value;
}

void Lv2Host::setPortValue(const char* symbol, void* data, const void* value, uint32_t size, uint32_t type)
{
    auto& self = *static_cast<Lv2Host*>(data);
    float number = 0.0f;
    if (type == self.map(LV2_ATOM__Float) && size == sizeof(float))
        std::memcpy(&number, value, sizeof number);
    else if (type == self.map(LV2_ATOM__Double) && size == sizeof(double))
        number = float(*static_cast<const double*>(value));
    else if (type == self.map(LV2_ATOM__Int) && size == sizeof(int32_t))
        number = float(*static_cast<const int32_t*>(value));
    else if (type == self.map(LV2_ATOM__Long) && size == sizeof(int64_t))
        number = float(*static_cast<const int64_t*>(value));
    else if (type == self.map(LV2_ATOM__Bool) && size == sizeof(int32_t))
        number = *static_cast<const int32_t*>(value) ? 1.0f : 0.0f;
    else
        return;
    for (ControlPort& port : self.controls)
        if (port.symbol == symbol)
            port.value = number;
}

const void* Lv2Host::portValue(const char* symbol, void* data, uint32_t* size, uint32_t* type)
{
    auto& self = *static_cast<Lv2Host*>(data);
    for (const ControlPort& port : self.controls) {
        if (port.symbol == symbol) {
            *size = sizeof(float);
            *type = self.map(LV2_ATOM__Float);
            return &port.value;
        }
    }
    return nullptr;
}

void Lv2Host::restore(const LilvState* state)
{
    const LV2_Feature mapF{LV2_URID__map, &mapFeature};
    const LV2_Feature* features[] = {&mapF, nullptr};
    lilv_state_restore(state, instance, setPortValue, this, 0, features);
}

void Lv2Host::setProgram(int program)
{
    if (!instance || program < 0 || size_t(program) >= presetNodes.size())
        return;
    lilv_world_load_resource(world, presetNodes[size_t(program)]);
    LilvState* state = lilv_state_new_from_world(world, &mapFeature, presetNodes[size_t(program)]);
    if (!state)
        throw HostError("cannot read preset " + std::to_string(program));
    restore(state);
    lilv_state_free(state);
}

std::vector<std::string> Lv2Host::programNames()
{
    std::vector<std::string> names;
    Node label(lilv_new_uri(world, "http://www.w3.org/2000/01/rdf-schema#label"));
    for (const LilvNode* preset : presetNodes) {
        lilv_world_load_resource(world, preset);
        LilvNode* name = lilv_world_get(world, preset, label, nullptr);
        names.push_back(name ? lilv_node_as_string(name) : "");
        lilv_node_free(name);
    }
    return names;
}

std::string Lv2Host::saveState()
{
    LilvState* state = lilv_state_new_from_instance(plugin, instance, &mapFeature, nullptr, nullptr, nullptr, nullptr,
                                                    portValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    if (!state)
        return {};
    char* text = lilv_state_to_string(world, &mapFeature, &unmapFeature, state, "urn:morvelline-test:state", nullptr);
    std::string turtle = text ? text : "";
    lilv_free(text);
    lilv_state_free(state);
    return turtle;
}

bool Lv2Host::restoreState(const std::string& turtle)
{
    LilvState* state = lilv_state_new_from_string(world, &mapFeature, turtle.c_str());
    if (!state)
        return false;
    restore(state);
    lilv_state_free(state);
    return true;
}

void Lv2Host::start()
{
    if (instance && !active) {
        lilv_instance_activate(instance);
        active = true;
    }
}

void Lv2Host::stop()
{
    if (instance && active) {
        lilv_instance_deactivate(instance);
        active = false;
    }
}
