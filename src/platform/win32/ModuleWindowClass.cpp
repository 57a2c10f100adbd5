#include "ModuleWindowClass.h"

#include <cwchar>
#include <mutex>

namespace {

std::mutex classMutex;
int classUsers = 0;
wchar_t className[64] = {};

} // namespace

HINSTANCE ModuleWindowClass::module()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleWindowClass::module), &self);
    return self;
}

const wchar_t* ModuleWindowClass::acquire(WNDPROC procedure)
{
    std::lock_guard<std::mutex> lock(classMutex);
    if (classUsers == 0) {
        HINSTANCE instance = module();
        std::swprintf(className, 64, L"MorvellineEditor_%p", static_cast<void*>(instance));
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = className;
        if (!RegisterClassExW(&windowClass))
            return nullptr;
    }
    ++classUsers;
    return className;
}

void ModuleWindowClass::release()
{
    std::lock_guard<std::mutex> lock(classMutex);
    if (classUsers == 0)
        return;
    if (--classUsers == 0)
        UnregisterClassW(className, module());
}
