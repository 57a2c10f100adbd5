#include "ProgramFileLoader.h"

#include "params/PluginIdentity.h"
#include "presets/EffectProgramTransfer.h"
#include "presets/ProgramFiles.h"

#include <memory>

namespace {

// The files name Morvelline's parameters; in another plug-in they would set unrelated values.
void requireMorvelline(PluginHost& host, const std::string& path)
{
    if (host.effect()->uniqueID != kUniqueId)
        throw HostError("'" + path + "' holds Morvelline programs, but the plug-in is not Morvelline");
}

void requireLoaded(int result, const std::string& path, const char* kind)
{
    if (result == kFileCannotOpen)
        throw HostError("cannot read the " + std::string(kind) + " file '" + path + "'");
    if (result == kFileWrongHeader)
        throw HostError("'" + path + "' is not a Morvelline " + kind + " file");
}

} // namespace

void loadBankIntoPlugin(PluginHost& host, const std::string& path)
{
    requireMorvelline(host, path);
    auto bank = std::make_unique<ProgramStore>();
    requireLoaded(loadBankFile(*bank, path), path, "bank");
    sendBankToEffect(host.effect(), &bank->record(0));
}

void loadPresetIntoPlugin(PluginHost& host, const std::string& path)
{
    requireMorvelline(host, path);
    auto preset = std::make_unique<ProgramRecord>();
    preset->initialize();
    requireLoaded(loadPresetFile(*preset, path), path, "preset");
    sendProgramToEffect(host.effect(), *preset);
}
