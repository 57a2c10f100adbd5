#include "Win32Window.h"

#include "GdiplusCanvas.h"
#include "ModuleWindowClass.h"
#include "Win32Input.h"
#include "Win32PopupMenu.h"

#include <windowsx.h>

#include <string>

Win32Window::Win32Window(native::WindowClient& owner) : client(owner) {}

Win32Window::~Win32Window()
{
    *alive = false;
    textEdit.reset();
    if (window) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (GetCapture() == window)
            ReleaseCapture();
        DestroyWindow(window);
    }
    releaseBackBuffer();
    if (classAcquired)
        ModuleWindowClass::release();
}

bool Win32Window::create(HWND parent, int width, int height, std::string& error)
{
    if (!gdiplus.ok()) {
        error = "GDI+ cannot start";
        return false;
    }
    const wchar_t* className = ModuleWindowClass::acquire(&Win32Window::procedure);
    if (!className) {
        error = "cannot register the editor's window class";
        return false;
    }
    classAcquired = true;
    window = CreateWindowExW(0, className, L"Morvelline", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                             0, width, height, parent, nullptr, ModuleWindowClass::module(), this);
    if (!window) {
        error = "cannot create the editor window (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

void Win32Window::invalidate(const native::Rect& area)
{
    if (area.isEmpty())
        return;
    RECT rect{area.left, area.top, area.right, area.bottom};
    InvalidateRect(window, &rect, FALSE);
}

void Win32Window::processEvents()
{
    // The host pumps this thread's messages; idle only has to paint what is invalid, now.
    UpdateWindow(window);
}

void Win32Window::resize(int width, int height)
{
    SetWindowPos(window, nullptr, 0, 0, width > 1 ? width : 1, height > 1 ? height : 1,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::setMouseCapture(bool captured)
{
    captureRequested = captured;
    if (captured)
        SetCapture(window);
    else if (GetCapture() == window)
        ReleaseCapture();
}

void Win32Window::showMenu(const native::MenuModel& menu, native::Point where, native::MenuDone done)
{
    POINT screen{where.x, where.y};
    ClientToScreen(window, &screen);
    std::shared_ptr<bool> stillAlive = alive;
    // Modal: the host may close the editor while the menu is open.
    native::MenuChoice choice = trackPopupMenu(menu, window, screen);
    if (*stillAlive && done)
        done(choice);
}

bool Win32Window::beginTextEdit(const native::TextEditRequest& request, native::TextEditDone done)
{
    endTextEdit(true);
    auto edit = std::make_unique<Win32TextEdit>(window, request, std::move(done));
    if (!edit->isOpen())
        return false;
    textEdit = std::move(edit);
    return true;
}

void Win32Window::endTextEdit(bool commit)
{
    if (!textEdit)
        return;
    // Kept alive through finish: done may open the next edit, which replaces textEdit.
    std::unique_ptr<Win32TextEdit> closing = std::move(textEdit);
    closing->finish(commit);
}

LRESULT CALLBACK Win32Window::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
        static_cast<Win32Window*>(created->lpCreateParams)->window = window;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (handleMouse(message, wParam, lParam) || handleKey(message, wParam))
        return 0;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        paint(dc, ps.rcPaint);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT all;
        GetClientRect(window, &all);
        paint(reinterpret_cast<HDC>(wParam), all);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // paint covers everything; erasing first would flicker
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_CTLCOLOREDIT:
        if (textEdit && reinterpret_cast<HWND>(lParam) == textEdit->handle())
            return reinterpret_cast<LRESULT>(textEdit->colours(reinterpret_cast<HDC>(wParam)));
        break;
    case Win32TextEdit::kFinishMessage:
        endTextEdit(wParam != 0);
        return 0;
    case WM_SIZE:
        releaseBackBuffer();
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Win32Window::handleMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    native::Point where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    unsigned flags = mouseFlags(message, wParam);
    if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK)
        lastMousePoint = where;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        // With wheel support on, keys and wheel go to the window the musician works in; without
        // it the host keeps the keys (it forwards them), as on Linux. An open text box keeps
        // its own focus.
        if (native::focusOnPointerEnter() && !textEdit)
            SetFocus(window);
        client.mouseDown(where, flags);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        client.mouseUp(where, flags);
        return true;
    case WM_MOUSEMOVE:
        if (!trackingLeave) {
            // The first move after the pointer came in: with wheel support on, keys and wheel
            // follow the pointer, as on Linux; an open text box keeps its own focus. Only from
            // the host window that holds the editor: passing over it must not take the keys
            // from another window (a floating mixer, a dialog, another program).
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            trackingLeave = TrackMouseEvent(&track) != 0;
            HWND focus = GetFocus();
            if (native::focusOnPointerEnter() && !textEdit && focus && focus != window && IsChild(focus, window))
                SetFocus(window);
        }
        client.mouseMoved(where, flags);
        return true;
    case WM_CAPTURECHANGED:
        // Another window took the mouse mid-drag (a dialog, a task switch): the release will
        // never come here, so end the gesture now and the host sees its edit end.
        if (captureRequested) {
            captureRequested = false;
            client.mouseUp(lastMousePoint, currentModifiers());
        }
        return true;
    case WM_MOUSELEAVE:
        trackingLeave = false;
        client.mouseExited();
        return true;
    case WM_MOUSEWHEEL: {
        // Wheel messages carry screen coordinates.
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &screen);
        float steps = float(GET_WHEEL_DELTA_WPARAM(wParam)) / float(WHEEL_DELTA);
        client.wheel({screen.x, screen.y}, steps, mouseFlags(message, GET_KEYSTATE_WPARAM(wParam)));
        return true;
    }
    default:
        return false;
    }
}

bool Win32Window::handleKey(UINT message, WPARAM wParam)
{
    if (message != WM_KEYDOWN && message != WM_KEYUP)
        return false;
    native::KeyEvent key;
    if (!translateKey(wParam, key))
        return false;
    // Unused keys go on to DefWindowProc, and so to the host's shortcuts.
    return message == WM_KEYDOWN ? client.keyDown(key) : client.keyUp(key);
}

bool Win32Window::ensureBackBuffer(int width, int height)
{
    if (bufferDc && width == bufferWidth && height == bufferHeight)
        return true;
    releaseBackBuffer();
    HDC screen = GetDC(window);
    bufferDc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bufferBitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(window, screen);
    if (!bufferDc || !bufferBitmap) {
        releaseBackBuffer();
        return false;
    }
    bufferOldBitmap = SelectObject(bufferDc, bufferBitmap);
    bufferWidth = width;
    bufferHeight = height;
    return true;
}

void Win32Window::releaseBackBuffer()
{
    if (bufferDc && bufferOldBitmap)
        SelectObject(bufferDc, bufferOldBitmap);
    if (bufferBitmap)
        DeleteObject(bufferBitmap);
    if (bufferDc)
        DeleteDC(bufferDc);
    bufferDc = nullptr;
    bufferBitmap = nullptr;
    bufferOldBitmap = nullptr;
    bufferWidth = bufferHeight = 0;
}

void Win32Window::paint(HDC target, const RECT& area)
{
    RECT all;
    GetClientRect(window, &all);
    if (area.right <= area.left || area.bottom <= area.top || !ensureBackBuffer(all.right, all.bottom))
        return;
    {
        Gdiplus::Graphics graphics(bufferDc);
        GdiplusCanvas canvas(graphics);
        native::Rect dirty{int(area.left), int(area.top), int(area.right), int(area.bottom)};
        canvas.clip(dirty);
        client.paint(canvas, dirty);
    }
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, bufferDc, area.left, area.top,
           SRCCOPY);
}

std::unique_ptr<native::Window> native::createChildWindow(void* parent, int width, int height, WindowClient& client,
                                                          std::string& error)
{
    HWND parentWindow = static_cast<HWND>(parent);
    if (!parentWindow) {
        error = "no parent window";
        return nullptr;
    }
    if (!IsWindow(parentWindow)) {
        error = "the parent is not a window";
        return nullptr;
    }
    if (width < 1 || height < 1 || width > 32767 || height > 32767) {
        error = "the window size is out of range";
        return nullptr;
    }
    auto created = std::make_unique<Win32Window>(client);
    if (!created->create(parentWindow, width, height, error))
        return nullptr;
    return created;
}
