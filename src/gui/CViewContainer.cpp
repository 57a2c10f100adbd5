#include "CViewContainer.h"

#include "CBitmap.h"
#include "CDrawContext.h"
#include "CFrame.h"

#include <algorithm>
#include <cstring>

CViewContainer::CViewContainer(const CRect& area, CBitmap* backgroundImage) : CView(area)
{
    setBackground(backgroundImage);
}

CViewContainer::~CViewContainer()
{
    removeAll(true);
}

bool CViewContainer::addView(CView* view)
{
    if (!view || view->getParentView() || view == this)
        return false;
    children.push_back(view);
    view->attached(this);
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool forget)
{
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end())
        return false;
    view->invalid();
    if (CFrame* frame = getFrame())
        frame->onViewRemoved(view);
    children.erase(it);
    view->removed(this);
    if (forget)
        view->forget();
    return true;
}

void CViewContainer::removeAll(bool forget)
{
    while (!children.empty())
        removeView(children.back(), forget);
}

CView* CViewContainer::getView(long index) const
{
    return index >= 0 && index < long(children.size()) ? children[size_t(index)] : nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where) const
{
    CPoint local(where.x - size.left, where.y - size.top);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        if (child->isVisible() && child->getMouseEnabled() && child->getMouseableArea().pointInside(local))
            return child;
    }
    return nullptr;
}

void CViewContainer::draw(CDrawContext* context)
{
    drawRect(context, size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    context->saveState();
    context->clipTo(size);
    if (!transparency)
        context->fillRect(size, backgroundColor);
    drawBackground(context);
    context->moveOrigin(size.left, size.top);
    CRect localUpdate = updateRect;
    localUpdate.offset(-size.left, -size.top);
    for (CView* child : children) {
        if (!child->isVisible() || !child->getViewSize().rectOverlap(localUpdate))
            continue;
        context->saveState();
        if (auto* container = dynamic_cast<CViewContainer*>(child)) {
            container->drawRect(context, localUpdate);
        } else {
            context->clipTo(child->getViewSize());
            child->draw(context);
        }
        context->restoreState();
    }
    context->restoreState();
    setDirty(false);
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const long& buttons)
{
    CView* child = getViewAt(where);
    if (!child)
        return kMouseEventNotHandled;
    CPoint local(where.x - size.left, where.y - size.top);
    return child->onMouseDown(local, buttons);
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance, const long& buttons)
{
    CView* child = getViewAt(where);
    if (!child)
        return false;
    CPoint local(where.x - size.left, where.y - size.top);
    return child->onWheel(local, distance, buttons);
}

bool CViewContainer::isDirty() const
{
    if (CView::isDirty())
        return true;
    for (CView* child : children)
        if (child->isVisible() && child->isDirty())
            return true;
    return false;
}

bool CViewContainer::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CViewContainer") == 0 || CView::isTypeOf(className);
}
