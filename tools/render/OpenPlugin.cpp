#include "OpenPlugin.h"

#include "ClapHost.h"
#include "PluginHost.h"
#ifdef MORVELLINE_WITH_LV2_HOST
#include "Lv2Host.h"
#endif

namespace {

bool endsWith(std::string path, const std::string& suffix)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

bool isLv2Path(const std::string& path)
{
    return endsWith(path, ".lv2");
}

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
    if (isLv2Path(libraryPath)) {
#ifdef MORVELLINE_WITH_LV2_HOST
        return std::make_unique<Lv2Host>(libraryPath);
#else
        throw HostError("this build plays no LV2 bundles");
#endif
    }
    return std::make_unique<PluginHost>(libraryPath);
}
