#include "CFrame.h"

#include "AEffGUIEditor.h"
#include "CDrawContext.h"

#include <cstring>

// Turns the system window's callbacks into the frame's event calls.
class CFrame::WindowAdapter : public native::WindowClient {
public:
    explicit WindowAdapter(CFrame& owner) : frame(owner) {}

    void paint(native::Canvas& canvas, const native::Rect& area) override
    {
        CNativeDrawContext context(canvas);
        CRect update(area.left, area.top, area.right, area.bottom);
        context.clipTo(update);
        frame.drawRect(&context, update);
    }
    void mouseDown(native::Point where, unsigned flags) override
    {
        CPoint p(where.x, where.y);
        frame.onMouseDown(p, long(flags));
    }
    void mouseMoved(native::Point where, unsigned flags) override
    {
        CPoint p(where.x, where.y);
        frame.onMouseMoved(p, long(flags));
    }
    void mouseUp(native::Point where, unsigned flags) override
    {
        CPoint p(where.x, where.y);
        frame.onMouseUp(p, long(flags));
    }
    void mouseExited() override
    {
        CPoint p = frame.lastPointer;
        frame.onMouseExited(p, 0);
    }
    void wheel(native::Point where, float distance, unsigned flags) override
    {
        frame.onWheel(CPoint(where.x, where.y), distance, long(flags));
    }
    bool keyDown(const native::KeyEvent& key) override
    {
        VstKeyCode code{key.character, static_cast<unsigned char>(key.virtualKey), long(key.modifiers)};
        return frame.onKeyDown(code) == 1;
    }
    bool keyUp(const native::KeyEvent& key) override
    {
        VstKeyCode code{key.character, static_cast<unsigned char>(key.virtualKey), long(key.modifiers)};
        return frame.onKeyUp(code) == 1;
    }

private:
    CFrame& frame;
};

namespace {

// The deepest visible, mouse-enabled view under where (frame coordinates); the frame itself
// when no child is there. origin receives the offset of the found view's parent.
CView* deepestViewAt(CViewContainer* root, const CPoint& where, CPoint& origin)
{
    CView* found = root;
    CViewContainer* container = root;
    origin = CPoint();
    CPoint local = where;
    while (container) {
        CView* child = container->getViewAt(local);
        if (!child)
            break;
        if (container != root) {
            origin.offset(container->getViewSize().left, container->getViewSize().top);
            local.offset(-container->getViewSize().left, -container->getViewSize().top);
        }
        found = child;
        container = dynamic_cast<CViewContainer*>(child);
    }
    return found;
}

} // namespace

CFrame::CFrame(const CRect& area, void* parentWindow, AEffGUIEditor* ownerEditor)
    : CViewContainer(area), editor(ownerEditor), adapter(std::make_unique<WindowAdapter>(*this))
{
    backgroundColor = kBlackCColor;
    if (!parentWindow)
        return;
    window = native::createChildWindow(parentWindow, area.width(), area.height(), *adapter, openError);
    if (!window && openError.empty())
        openError = "the editor window could not be created";
}

CFrame::~CFrame()
{
    // Nothing may call back into views that are going away: close the system window (and with
    // it any menu or editing box) first, without committing a half-typed text.
    if (window)
        window->endTextEdit(false);
    window.reset();
    focusView = captureView = pointerView = nullptr;
    removeAll(true);
}

void* CFrame::getSystemWindow() const
{
    return window ? window->systemHandle() : nullptr;
}

void CFrame::idle()
{
    redrawDirtyViews();
    if (window)
        window->processEvents();
}

void CFrame::redrawDirtyViews()
{
    if (!window)
        return;
    if (CView::isDirty()) {
        invalidRect(size);
        CView::setDirty(false);
        return;
    }
    forEachDescendant([this](CView* view) {
        // A container's own flag only: its dirty children are visited one by one.
        bool needsDrawing = dynamic_cast<CViewContainer*>(view) ? view->CView::isDirty() : view->isDirty();
        if (!needsDrawing)
            return;
        for (CView* p = view; p; p = p->getParentView())
            if (!p->isVisible())
                return;
        CRect area = view->getViewSize();
        invalidRect(view->localToFrame(area));
    });
}

void CFrame::invalidRect(const CRect& rect)
{
    CRect area = rect;
    area.bound(size);
    if (window && !area.isEmpty())
        window->invalidate(toNative(area));
}

void CFrame::draw(CDrawContext* context)
{
    drawRect(context, size);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const long& buttons)
{
    lastPointer = where;
    if (captureView) // a second button while dragging: the drag keeps going
        return kMouseEventHandled;
    CPoint origin;
    CView* target = deepestViewAt(this, where, origin);
    if (focusView && focusView != target)
        setFocusView(nullptr);
    if (target == this)
        return kMouseEventNotHandled;
    CPoint local(where.x - origin.x, where.y - origin.y);
    target->remember(); // the handler may remove the view
    CMouseEventResult result = target->onMouseDown(local, buttons);
    bool stillHere = target->getFrame() == this;
    target->forget();
    if (result == kMouseEventHandled && stillHere) {
        captureView = target;
        if (window)
            window->setMouseCapture(true);
    }
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const long& buttons)
{
    lastPointer = where;
    if (captureView) {
        CPoint local = where;
        captureView->frameToLocal(local);
        return captureView->onMouseMoved(local, buttons);
    }
    updatePointerView(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const long& buttons)
{
    lastPointer = where;
    CMouseEventResult result = kMouseEventNotHandled;
    if (CView* view = captureView) {
        captureView = nullptr;
        if (window)
            window->setMouseCapture(false);
        CPoint local = where;
        view->frameToLocal(local);
        result = view->onMouseUp(local, buttons);
    }
    updatePointerView(where, buttons);
    return result;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const long& buttons)
{
    if (!captureView && pointerView) {
        CView* view = pointerView;
        pointerView = nullptr;
        CPoint local = where;
        view->frameToLocal(local);
        view->onMouseExited(local, buttons);
    }
    return kMouseEventHandled;
}

void CFrame::updatePointerView(const CPoint& where, const long& buttons)
{
    CPoint origin;
    CView* now = size.pointInside(where) ? deepestViewAt(this, where, origin) : nullptr;
    if (now == this)
        now = nullptr;
    if (now == pointerView)
        return;
    CView* old = pointerView;
    pointerView = now;
    if (old) {
        CPoint local = where;
        old->frameToLocal(local);
        old->onMouseExited(local, buttons);
    }
    if (now) {
        CPoint local = where;
        now->frameToLocal(local);
        now->onMouseEntered(local, buttons);
    }
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const long& buttons)
{
    lastPointer = where;
    CPoint origin;
    CView* target = deepestViewAt(this, where, origin);
    if (target == this)
        return false;
    updatePointerView(where, buttons);
    return target->onWheel(CPoint(where.x - origin.x, where.y - origin.y), distance, buttons);
}

long CFrame::onKeyDown(VstKeyCode& key)
{
    if (focusView && focusView->onKeyDown(key) == 1)
        return 1;
    if (pointerView && pointerView != focusView && pointerView->onKeyDown(key) == 1)
        return 1;
    return editor && editor->keyCommand(key) ? 1 : -1;
}

long CFrame::onKeyUp(VstKeyCode& key)
{
    if (focusView && focusView->onKeyUp(key) == 1)
        return 1;
    if (pointerView && pointerView != focusView && pointerView->onKeyUp(key) == 1)
        return 1;
    return editor && editor->keyReleased(key) ? 1 : -1;
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView)
        return;
    CView* old = focusView;
    focusView = view;
    if (old)
        old->looseFocus();
    if (view && focusView == view)
        view->takeFocus();
}

void CFrame::showMenu(const native::MenuModel& menu, const CPoint& where, native::MenuDone done)
{
    if (!window) {
        done(native::MenuChoice{});
        return;
    }
    window->showMenu(menu, {where.x, where.y}, std::move(done));
}

bool CFrame::beginTextEdit(const native::TextEditRequest& request, native::TextEditDone done)
{
    return window && window->beginTextEdit(request, std::move(done));
}

void CFrame::endTextEdit(bool commit)
{
    if (window)
        window->endTextEdit(commit);
}

bool CFrame::textEditKey(const VstKeyCode& key)
{
    return window && window->textEditKey({int(key.character), key.virt, unsigned(key.modifier)});
}

void CFrame::onViewRemoved(CView* view)
{
    auto inside = [view](CView* v) {
        for (; v; v = v->getParentView())
            if (v == view)
                return true;
        return false;
    };
    if (inside(focusView))
        setFocusView(nullptr);
    if (inside(captureView))
        captureView = nullptr;
    if (inside(pointerView))
        pointerView = nullptr;
}

bool CFrame::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CFrame") == 0 || CViewContainer::isTypeOf(className);
}
