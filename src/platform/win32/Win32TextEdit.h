// The text editing box: an EDIT control over the field being edited. Enter or leaving the box
// commits, Escape cancels; the owner window finishes the edit when it gets kFinishMessage, so
// the control is never destroyed inside its own message handling.
#pragma once

#include "platform/NativeWindow.h"

#include <windows.h>

class Win32TextEdit {
public:
    // Posted to the owner with wParam 1 to commit, 0 to cancel.
    static constexpr UINT kFinishMessage = WM_APP + 17;

    Win32TextEdit(HWND owner, const native::TextEditRequest& request, native::TextEditDone done);
    ~Win32TextEdit();
    Win32TextEdit(const Win32TextEdit&) = delete;
    Win32TextEdit& operator=(const Win32TextEdit&) = delete;

    bool isOpen() const { return control != nullptr; }
    HWND handle() const { return control; }
    // The owner's answer to WM_CTLCOLOREDIT for this control.
    HBRUSH colours(HDC dc) const;
    // Closes the box and reports through done (the text is reported either way).
    void finish(bool commit);

private:
    static LRESULT CALLBACK controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND owner;
    HWND control = nullptr;
    HFONT font = nullptr;
    HBRUSH background = nullptr;
    COLORREF textColour;
    COLORREF backColour;
    WNDPROC originalProcedure = nullptr;
    native::TextEditDone done;
};
