// The top-level view: owns the system window (or none, for headless use), keeps the dirty
// regions and redraws them at idle, dispatches mouse, wheel and key input to the view under the
// pointer, holds the keyboard focus and captures the mouse for the view that took a press.
#pragma once

#include "CViewContainer.h"
#include "platform/NativeMenu.h"
#include "platform/NativeWindow.h"

#include <memory>
#include <string>

class AEffGUIEditor;

class CFrame : public CViewContainer {
public:
    // With a parent window (HWND, X11 Window id): opens a child window of size in it; check
    // hasWindow() and windowError(). With a null parent: headless, drawn only by rendering.
    CFrame(const CRect& size, void* parentWindow, AEffGUIEditor* editor = nullptr);
    ~CFrame() override;

    bool hasWindow() const { return window != nullptr; }
    // Why the window could not open; empty when it did or none was asked for.
    const std::string& windowError() const { return openError; }
    void* getSystemWindow() const;
    AEffGUIEditor* getEditor() const { return editor; }

    // Handles pending window events and redraws dirty views and invalid areas. Never blocks.
    void idle();
    // Schedules rect (frame coordinates) for drawing.
    void invalidRect(const CRect& rect);
    // Draws the whole tree (the frame's background colour first).
    void draw(CDrawContext* context) override;

    // Entry points of input, in frame coordinates (the window and the tests call these).
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    // To the focus view first, then to the view under the pointer; a key down that neither takes
    // goes to the editor's keyCommand (its shortcuts).
    long onKeyDown(VstKeyCode& key) override;
    long onKeyUp(VstKeyCode& key) override;

    // Moves the keyboard focus (looseFocus to the old view, takeFocus to the new); null clears.
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }
    // The view that receives moves and the release of the current press, if any.
    CView* getMouseCaptureView() const { return captureView; }

    // Pop-up menu at where (frame coordinates); done runs once, now or at a later idle. A headless
    // frame reports "not chosen" at once.
    void showMenu(const native::MenuModel& menu, const CPoint& where, native::MenuDone done);
    // Text editing box over the request's rect (frame coordinates); false when none can open.
    bool beginTextEdit(const native::TextEditRequest& request, native::TextEditDone done);
    void endTextEdit(bool commit);
    // Gives a forwarded key to the open editing box; true when used.
    bool textEditKey(const VstKeyCode& key);

    // A view is about to be removed: forget focus, capture and pointer references to it.
    void onViewRemoved(CView* view);
    bool isTypeOf(const char* className) const override;

private:
    class WindowAdapter;
    void redrawDirtyViews();
    void updatePointerView(const CPoint& where, const long& buttons);

    AEffGUIEditor* editor;
    std::unique_ptr<WindowAdapter> adapter;
    std::unique_ptr<native::Window> window;
    std::string openError;
    CView* focusView = nullptr;
    CView* captureView = nullptr;
    CView* pointerView = nullptr;
    CPoint lastPointer;
};
