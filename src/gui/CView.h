// The base of everything on screen. A view's size is in its parent's coordinates, and so is
// every point passed to its event calls. Views are reference counted: a container that a view
// is added to takes over the creator's reference.
#pragma once

#include "CReferenceCounter.h"
#include "GuiTypes.h"

#include <atomic>

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;

class CView : public CReferenceCounter {
public:
    explicit CView(const CRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    // Draws the background bitmap (if any) over size.
    virtual void drawBackground(CDrawContext* context);

    virtual CMouseEventResult onMouseDown(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const long& buttons);
    // distance in wheel steps; true when used.
    virtual bool onWheel(const CPoint& where, const float& distance, const long& buttons);
    // 1 when used, -1 when not.
    virtual long onKeyDown(VstKeyCode& key);
    virtual long onKeyUp(VstKeyCode& key);

    // Keyboard focus arrives and leaves (the frame calls these).
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    // Marks the view for drawing at the next idle; safe from any thread (it only stores a flag).
    virtual void setDirty(bool needsDrawing = true) { this->dirty.store(needsDrawing, std::memory_order_relaxed); }
    virtual bool isDirty() const { return dirty.load(std::memory_order_relaxed); }
    // Asks the frame to redraw the view's area now-ish (user-interface thread only).
    void invalid();

    const CRect& getViewSize() const { return size; }
    // Where the view takes the mouse; its size unless set otherwise.
    const CRect& getMouseableArea() const { return mouseableArea; }
    CCoord getWidth() const { return size.width(); }
    CCoord getHeight() const { return size.height(); }

    virtual void setVisible(bool visible);
    bool isVisible() const { return visible; }
    virtual void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    bool getMouseEnabled() const { return mouseEnabled; }
    // Transparent views draw no background colour.
    virtual void setTransparency(bool transparent) { transparency = transparent; }

    // The bitmap is remembered by the view; null removes it.
    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return background; }

    CFrame* getFrame() const;
    CViewContainer* getParentView() const { return parent; }
    // Converts between the view's own coordinates (its parent's) and the frame's.
    CPoint& localToFrame(CPoint& point) const;
    CPoint& frameToLocal(CPoint& point) const;
    CRect& localToFrame(CRect& rect) const;

    // Type test by class name ("CView", "CControl", ...), for the views that override it.
    virtual bool isTypeOf(const char* className) const;
    // A copy of the view, for views that offer one; null otherwise.
    virtual CView* newCopy() const { return nullptr; }

    // The container calls these when the view is added or removed.
    virtual void attached(CViewContainer* newParent) { parent = newParent; }
    virtual void removed(CViewContainer* /*oldParent*/) { parent = nullptr; }

protected:
    CRect size;
    CRect mouseableArea;
    CViewContainer* parent = nullptr;
    CBitmap* background = nullptr;
    bool visible = true;
    bool mouseEnabled = true;
    bool transparency = false;
    std::atomic<bool> dirty{false};
};
