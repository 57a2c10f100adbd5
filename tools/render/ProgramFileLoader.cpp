#include "ProgramFileLoader.h"

#include "ClapHost.h"
#include "PluginHost.h"

#include "params/PluginIdentity.h"
#include "presets/EffectProgramTransfer.h"
#include "presets/ProgramFiles.h"

#include <memory>

namespace {

// The files name Morvelline's parameters; in another plug-in they would set unrelated values.
// A CLAP reads preset files itself; banks reach only the VST 2.4 build, through its parameters.
PluginHost& requireMorvelline(HostedPlugin& host, const std::string& path)
{
    auto* vst = dynamic_cast<PluginHost*>(&host);
    if (!vst)
        throw HostError("'" + path + "': banks load only into the VST 2.4 build");
    if (vst->effect()->uniqueID != kUniqueId)
        throw HostError("'" + path + "' holds Morvelline programs, but the plug-in is not Morvelline");
    return *vst;
}

void requireLoaded(int result, const std::string& path, const char* kind)
{
    if (result == kFileCannotOpen)
        throw HostError("cannot read the " + std::string(kind) + " file '" + path + "'");
    if (result == kFileWrongHeader)
        throw HostError("'" + path + "' is not a Morvelline " + kind + " file");
}

} // namespace

void loadBankIntoPlugin(HostedPlugin& host, const std::string& path)
{
    PluginHost& vst = requireMorvelline(host, path);
    auto bank = std::make_unique<ProgramStore>();
    requireLoaded(loadBankFile(*bank, path), path, "bank");
    sendBankToEffect(vst.effect(), &bank->record(0));
}

void loadPresetIntoPlugin(HostedPlugin& host, const std::string& path)
{
    if (auto* clap = dynamic_cast<ClapHost*>(&host)) {
        if (!clap->loadPreset(path))
            throw HostError("'" + path + "' is not a Morvelline preset file, or the plug-in cannot load it");
        return;
    }
    PluginHost& vst = requireMorvelline(host, path);
    auto preset = std::make_unique<ProgramRecord>();
    preset->initialize();
    requireLoaded(loadPresetFile(*preset, path), path, "preset");
    sendProgramToEffect(vst.effect(), *preset);
}
