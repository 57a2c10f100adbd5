#include "OpenPlugin.h"

#include "ClapHost.h"
#include "PluginHost.h"

bool isClapPath(const std::string& libraryPath)
{
    const std::string suffix = ".clap";
    return libraryPath.size() >= suffix.size() &&
           libraryPath.compare(libraryPath.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::unique_ptr<HostedPlugin> openPlugin(const std::string& libraryPath)
{
    if (isClapPath(libraryPath))
        return std::make_unique<ClapHost>(libraryPath);
    return std::make_unique<PluginHost>(libraryPath);
}
