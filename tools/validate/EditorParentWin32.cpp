#include "EditorParent.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

class Win32Parent : public EditorParent {
public:
    explicit Win32Parent(HWND parent) : window(parent) {}
    ~Win32Parent() override { DestroyWindow(window); }
    void* handle() const override { return window; }
    intptr_t displayValue() const override { return 0; }
    void pump() override
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

private:
    HWND window;
};

} // namespace

std::unique_ptr<EditorParent> EditorParent::create(std::string& why)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MorvellineValidateEditorParent";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) {
        why = "no window could be created for the editor";
        return nullptr;
    }
    return std::make_unique<Win32Parent>(window);
}
