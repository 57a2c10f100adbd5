#include "CView.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"

#include <cstring>

CView::CView(const CRect& area) : size(area), mouseableArea(area) {}

CView::~CView()
{
    if (background)
        background->forget();
}

void CView::draw(CDrawContext* context)
{
    drawBackground(context);
    setDirty(false);
}

void CView::drawBackground(CDrawContext* context)
{
    if (background)
        background->draw(context, size);
}

CMouseEventResult CView::onMouseDown(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseUp(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseEntered(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseExited(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}
bool CView::onWheel(const CPoint&, const float&, const long&)
{
    return false;
}
long CView::onKeyDown(VstKeyCode&)
{
    return -1;
}
long CView::onKeyUp(VstKeyCode&)
{
    return -1;
}

void CView::invalid()
{
    if (CFrame* frame = getFrame()) {
        CRect area = size;
        frame->invalidRect(localToFrame(area));
    }
}

void CView::setVisible(bool newVisible)
{
    if (visible == newVisible)
        return;
    visible = newVisible;
    invalid();
}

void CView::setBackground(CBitmap* newBackground)
{
    if (newBackground)
        newBackground->remember();
    if (background)
        background->forget();
    background = newBackground;
    setDirty();
}

CFrame* CView::getFrame() const
{
    const CView* top = this;
    while (top->parent)
        top = top->parent;
    return top->isTypeOf("CFrame") ? static_cast<CFrame*>(const_cast<CView*>(top)) : nullptr;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    for (const CView* p = parent; p; p = p->parent)
        point.offset(p->size.left, p->size.top);
    return point;
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    for (const CView* p = parent; p; p = p->parent)
        point.offset(-p->size.left, -p->size.top);
    return point;
}

CRect& CView::localToFrame(CRect& rect) const
{
    CPoint origin;
    localToFrame(origin);
    return rect.offset(origin.x, origin.y);
}

bool CView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CView") == 0;
}
