#include "PluginLibrary.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#ifdef _WIN32
void* openLibrary(const std::string& path)
{
    return LoadLibraryA(path.c_str());
}
std::string libraryError()
{
    return "Windows error " + std::to_string(GetLastError());
}
void* findSymbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
#else
void* openLibrary(const std::string& path)
{
    // The user names a file: a bare name is one in the current folder, not one on the library path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}
std::string libraryError()
{
    const char* why = dlerror();
    return why ? why : "unknown error";
}
void* findSymbol(void* library, const char* name)
{
    return dlsym(library, name);
}
void closeLibrary(void* library)
{
    dlclose(library);
}
#endif
