#include "Win32TextEdit.h"

#include "FontFaces.h"
#include "Latin1Text.h"

#include <cmath>
#include <utility>

namespace {

DWORD alignmentStyle(native::TextAlign align)
{
    switch (align) {
    case native::TextAlign::Center:
        return ES_CENTER;
    case native::TextAlign::Right:
        return ES_RIGHT;
    default:
        return ES_LEFT;
    }
}

HFONT createEditFont(const native::FontSpec& fontSpec)
{
    std::wstring face = resolveFontFace(widenLatin1(fontSpec.face));
    int height = std::isfinite(fontSpec.sizePixels) ? int(std::lround(fontSpec.sizePixels)) : 12;
    height = height < 1 ? 1 : height > 1000 ? 1000 : height;
    LOGFONTW description{};
    description.lfHeight = -height;
    description.lfWeight = fontSpec.bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(description.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&description);
}

COLORREF opaque(native::Color color)
{
    return RGB(color.red, color.green, color.blue);
}

} // namespace

Win32TextEdit::Win32TextEdit(HWND parent, const native::TextEditRequest& request, native::TextEditDone onDone)
    : owner(parent), textColour(opaque(request.textColor)), backColour(opaque(request.backColor)),
      done(std::move(onDone))
{
    const native::Rect& r = request.rect;
    std::wstring text = widenLatin1(request.text);
    control = CreateWindowExW(0, L"EDIT", text.c_str(),
                              WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | alignmentStyle(request.align), r.left, r.top,
                              r.width() > 1 ? r.width() : 1, r.height() > 1 ? r.height() : 1, owner, nullptr,
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
    if (!control)
        return;
    font = createEditFont(request.font);
    background = CreateSolidBrush(backColour);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    originalProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32TextEdit::controlProcedure)));
    SendMessageW(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

Win32TextEdit::~Win32TextEdit()
{
    // Gone without a decision (the window closes): nobody is left to tell.
    done = nullptr;
    if (control)
        DestroyWindow(control);
    if (font)
        DeleteObject(font);
    if (background)
        DeleteObject(background);
}

HBRUSH Win32TextEdit::colours(HDC dc) const
{
    SetTextColor(dc, textColour);
    SetBkColor(dc, backColour);
    return background;
}

void Win32TextEdit::finish(bool commit)
{
    if (!control)
        return;
    int length = GetWindowTextLengthW(control);
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(size_t(length));
    HWND closing = std::exchange(control, nullptr);
    // Destroying moves the focus away, which would post another finish: control is null by then.
    DestroyWindow(closing);
    SetFocus(owner);
    if (auto report = std::exchange(done, nullptr))
        report(commit, narrowToLatin1(text));
}

LRESULT CALLBACK Win32TextEdit::controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* edit = reinterpret_cast<Win32TextEdit*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    WNDPROC original = edit ? edit->originalProcedure : DefWindowProcW;
    switch (message) {
    case WM_GETDLGCODE:
        // Keeps Enter and Escape from the host's dialog handling.
        return DLGC_WANTALLKEYS | CallWindowProcW(original, window, message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            PostMessageW(GetParent(window), kFinishMessage, wParam == VK_RETURN ? 1 : 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L'\x1b' || wParam == L'\n')
            return 0; // no beep for the keys handled above
        break;
    case WM_KILLFOCUS:
        PostMessageW(GetParent(window), kFinishMessage, 1, 0);
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}
