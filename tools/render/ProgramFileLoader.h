// Loads Morvelline's preset and bank files into a running instance: the host reads the file and
// sends the values and names through the binary interface, as it would for any program change.
#pragma once

#include "HostedPlugin.h"

#include <string>

// Throw HostError with a one-line reason when the file cannot be used.
void loadBankIntoPlugin(HostedPlugin& host, const std::string& path);
void loadPresetIntoPlugin(HostedPlugin& host, const std::string& path);
