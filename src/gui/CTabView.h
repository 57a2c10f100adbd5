// Pages of which one shows at a time, with an optional row of tab buttons along the top or
// bottom edge. Each button shows the upper (not selected) or lower (selected) half of its
// image; buttons sit one after another from the left, each the image width rounded down to a
// multiple of 8. Pages keep the sizes they were added with (relative to the tab view).
#pragma once

#include "CViewContainer.h"

#include <vector>

enum CTabPosition { kPositionTop = 0, kPositionBottom, kPositionNone };

class CTabView : public CViewContainer {
public:
    CTabView(const CRect& size, CBitmap* background = nullptr, CTabPosition position = kPositionNone,
             CCoord tabRowHeight = 24);
    ~CTabView() override;

    // The page is taken over like addView; the tab image is remembered (null: no button).
    bool addTab(CView* page, CBitmap* tabImage = nullptr);
    long getNbTabs() const { return long(pages.size()); }
    CView* getTab(long index) const;
    // Shows page index (out of range: ignored); false when nothing changed.
    bool selectTab(long index);
    long getCurrentSelectedTab() const { return selected; }
    // The area of tab button index (tab view's parent coordinates); empty when it has none.
    CRect tabButtonRect(long index) const;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    bool isTypeOf(const char* className) const override;

private:
    std::vector<CView*> pages;
    std::vector<CBitmap*> tabImages;
    CTabPosition position;
    CCoord tabRowHeight;
    long selected = -1;
};
