#include "platform/SystemServices.h"

#include <atomic>

namespace {
std::atomic<SystemServices*> replacement{nullptr};
} // namespace

SystemServices& systemServices()
{
    SystemServices* services = replacement.load();
    return services ? *services : nativeSystemServices();
}

void setSystemServices(SystemServices* services)
{
    replacement.store(services);
}

std::wstring widenFileName(const std::filesystem::path& name)
{
#if defined(_WIN32)
    return name.native();
#else
    return widenOneToOne(name.native());
#endif
}

std::filesystem::path fileNameToPath(const std::wstring& name)
{
#if defined(_WIN32)
    return std::filesystem::path(name);
#else
    return std::filesystem::path(narrowOneToOne(name));
#endif
}

std::string narrowOneToOne(const std::wstring& text)
{
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = char(static_cast<unsigned char>(text[i] & 0xff));
    return result;
}

std::wstring widenOneToOne(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = wchar_t(static_cast<unsigned char>(text[i]));
    return result;
}
