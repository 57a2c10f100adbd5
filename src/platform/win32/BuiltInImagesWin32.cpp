#include "platform/BuiltInImages.h"

#include <string>
#include <windows.h>

namespace {

HMODULE thisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

} // namespace

ImageBytes builtInImage(std::string_view name)
{
    // Resource names are compared without regard to case by the system itself. A name that
    // looks like a number ("#12") would select a numbered resource: we carry none.
    if (name.empty() || name.front() == '#')
        return {};
    std::wstring wideName(name.begin(), name.end());
    HMODULE module = thisModule();
    HRSRC resource = FindResourceW(module, wideName.c_str(), L"DATA");
    if (!resource)
        return {};
    HGLOBAL loaded = LoadResource(module, resource);
    DWORD size = SizeofResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0)
        return {};
    return {static_cast<const unsigned char*>(data), size};
}
