// Opens a plug-in library by its format, told by the file's extension: ".clap" is CLAP, ".lv2"
// an LV2 bundle folder, anything else VST 2.4.
#pragma once

#include "HostedPlugin.h"

#include <memory>
#include <string>

std::unique_ptr<HostedPlugin> openPlugin(const std::string& libraryPath);
bool isClapPath(const std::string& libraryPath);
bool isLv2Path(const std::string& path);
