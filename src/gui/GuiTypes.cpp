#include "GuiTypes.h"

CRect& CRect::unite(const CRect& other)
{
    if (other.isEmpty())
        return *this;
    if (isEmpty())
        return *this = other;
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
    return *this;
}
