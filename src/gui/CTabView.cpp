#include "CTabView.h"

#include "CBitmap.h"
#include "CDrawContext.h"

#include <cstring>

CTabView::CTabView(const CRect& area, CBitmap* backgroundImage, CTabPosition tabPosition, CCoord rowHeight)
    : CViewContainer(area, backgroundImage), position(tabPosition), tabRowHeight(rowHeight)
{
    setTransparency(true);
}

CTabView::~CTabView()
{
    for (CBitmap* image : tabImages)
        if (image)
            image->forget();
}

bool CTabView::addTab(CView* page, CBitmap* tabImage)
{
    if (!addView(page))
        return false;
    pages.push_back(page);
    if (tabImage)
        tabImage->remember();
    tabImages.push_back(tabImage);
    if (selected < 0)
        selected = 0;
    page->setVisible(long(pages.size()) - 1 == selected);
    return true;
}

CView* CTabView::getTab(long index) const
{
    return index >= 0 && index < getNbTabs() ? pages[size_t(index)] : nullptr;
}

bool CTabView::selectTab(long index)
{
    if (index < 0 || index >= getNbTabs() || index == selected)
        return false;
    if (CView* old = getTab(selected))
        old->setVisible(false);
    selected = index;
    pages[size_t(index)]->setVisible(true);
    invalid(); // the page and the buttons' states
    return true;
}

CRect CTabView::tabButtonRect(long index) const
{
    if (position == kPositionNone || index < 0 || index >= getNbTabs() || !tabImages[size_t(index)])
        return CRect();
    CCoord x = size.left;
    for (long i = 0; i < index; ++i)
        if (tabImages[size_t(i)])
            x += tabImages[size_t(i)]->getWidth() / 8 * 8;
    CCoord width = tabImages[size_t(index)]->getWidth() / 8 * 8;
    CCoord top = position == kPositionTop ? size.top : size.bottom - tabRowHeight;
    return CRect(x, top, x + width, top + tabRowHeight);
}

void CTabView::draw(CDrawContext* context)
{
    drawRect(context, size);
}

void CTabView::drawRect(CDrawContext* context, const CRect& updateRect)
{
    CViewContainer::drawRect(context, updateRect);
    context->saveState();
    context->clipTo(size);
    for (long i = 0; i < getNbTabs(); ++i) {
        CRect button = tabButtonRect(i);
        if (button.isEmpty())
            continue;
        // Upper half: not selected; lower half: selected.
        CCoord state = i == selected ? tabImages[size_t(i)]->getHeight() / 2 : 0;
        context->drawBitmap(*tabImages[size_t(i)], button, CPoint(0, state));
    }
    context->restoreState();
}

CMouseEventResult CTabView::onMouseDown(CPoint& where, const long& buttons)
{
    if (buttons & kLButton) {
        for (long i = 0; i < getNbTabs(); ++i) {
            if (tabButtonRect(i).pointInside(where)) {
                selectTab(i);
                return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
            }
        }
    }
    return CViewContainer::onMouseDown(where, buttons);
}

bool CTabView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTabView") == 0 || CViewContainer::isTypeOf(className);
}
