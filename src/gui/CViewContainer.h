// A view holding other views, drawn in the order they were added (later ones on top), over a
// background colour (unless transparent) and a background bitmap. Children's sizes are relative
// to the container's top-left corner.
#pragma once

#include "CView.h"

#include <vector>

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size, CBitmap* background = nullptr);
    ~CViewContainer() override;

    // Takes over the caller's reference; false for a null view or one already in a container.
    virtual bool addView(CView* view);
    // Removes and, with forget, releases the container's reference.
    virtual bool removeView(CView* view, bool forget = true);
    virtual void removeAll(bool forget = true);
    CView* getView(long index) const;
    // The topmost visible, mouse-enabled child under where (container's parent coordinates).
    CView* getViewAt(const CPoint& where) const;

    void setBackgroundColor(const CColor& color) { backgroundColor = color; }

    void draw(CDrawContext* context) override;
    // Draws only the children whose areas meet updateRect (container's parent coordinates).
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    bool isDirty() const override;
    bool isTypeOf(const char* className) const override;

    // Calls visit on every descendant, parents before children.
    template <typename Visit>
    void forEachDescendant(Visit&& visit) const
    {
        for (CView* child : children) {
            visit(child);
            if (auto* container = dynamic_cast<CViewContainer*>(child))
                container->forEachDescendant(visit);
        }
    }

protected:
    std::vector<CView*> children;
    CColor backgroundColor = kTransparentCColor;
};
