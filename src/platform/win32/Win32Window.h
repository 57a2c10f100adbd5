// The editor's child window in the host's window: paints through a back buffer with GDI+, turns
// mouse, wheel and key messages into the client's events, and offers menus and text editing.
#pragma once

#include "GdiplusSession.h"
#include "Win32TextEdit.h"
#include "platform/NativeWindow.h"

#include <windows.h>

#include <memory>

class Win32Window final : public native::Window {
public:
    Win32Window(native::WindowClient& client);
    ~Win32Window() override;
    // False with a reason when the window cannot be made.
    bool create(HWND parent, int width, int height, std::string& error);

    void* systemHandle() const override { return window; }
    void invalidate(const native::Rect& area) override;
    void processEvents() override;
    void resize(int width, int height) override;
    void setMouseCapture(bool captured) override;
    void showMenu(const native::MenuModel& menu, native::Point where, native::MenuDone done) override;
    bool beginTextEdit(const native::TextEditRequest& request, native::TextEditDone done) override;
    void endTextEdit(bool commit) override;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool handleMouse(UINT message, WPARAM wParam, LPARAM lParam);
    bool handleKey(UINT message, WPARAM wParam);
    void paint(HDC target, const RECT& area);
    bool ensureBackBuffer(int width, int height);
    void releaseBackBuffer();

    GdiplusUse gdiplus;
    native::WindowClient& client;
    HWND window = nullptr;
    bool classAcquired = false;
    bool trackingLeave = false;
    // The toolkit holds the mouse for a gesture; losing it to another window ends the gesture.
    bool captureRequested = false;
    native::Point lastMousePoint{};
    // Set false when the window goes, so a modal menu that outlives it reports nothing.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    std::unique_ptr<Win32TextEdit> textEdit;
    HDC bufferDc = nullptr;
    HBITMAP bufferBitmap = nullptr;
    HGDIOBJ bufferOldBitmap = nullptr;
    int bufferWidth = 0;
    int bufferHeight = 0;
};
