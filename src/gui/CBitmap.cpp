#include "CBitmap.h"

#include "CDrawContext.h"

bool CBitmap::loadFromPng(const void* pngData, size_t size)
{
    if (!pngData || size == 0)
        return false;
    auto decoded = native::decodePng(pngData, size);
    if (!decoded)
        return false;
    image = std::move(decoded);
    return true;
}

bool CBitmap::loadFromFile(const std::filesystem::path& pngFile)
{
    auto decoded = native::loadPngFile(pngFile);
    if (!decoded)
        return false;
    image = std::move(decoded);
    return true;
}

void CBitmap::scaleTo(CCoord width, CCoord height)
{
    if (!image || (width == image->width() && height == image->height()))
        return;
    // A size below one pixel leaves nothing to show.
    image = image->scaled(width, height);
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset) const
{
    if (context && image)
        context->drawBitmap(*this, dest, offset);
}
