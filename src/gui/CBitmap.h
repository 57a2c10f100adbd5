// An image the views draw: decoded from PNG bytes or a PNG file, optionally scaled smoothly to a
// new size. An empty bitmap (nothing loaded) has size 0 x 0 and draws nothing.
#pragma once

#include "CReferenceCounter.h"
#include "GuiTypes.h"
#include "platform/NativeImage.h"

#include <cstddef>
#include <filesystem>
#include <memory>

class CDrawContext;

class CBitmap : public CReferenceCounter {
public:
    CBitmap() = default;
    CBitmap(const void* pngData, size_t size) { loadFromPng(pngData, size); }
    explicit CBitmap(const std::filesystem::path& pngFile) { loadFromFile(pngFile); }
    explicit CBitmap(std::unique_ptr<native::Image> bitmapImage) : image(std::move(bitmapImage)) {}

    // Each replaces the image; false (and the old image kept) when nothing could be decoded.
    bool loadFromPng(const void* pngData, size_t size);
    bool loadFromFile(const std::filesystem::path& pngFile);
    // Replaces the image by a smooth scaling of itself to width x height (truncated pixels).
    void scaleTo(CCoord width, CCoord height);

    bool isLoaded() const { return image != nullptr; }
    CCoord getWidth() const { return image ? image->width() : 0; }
    CCoord getHeight() const { return image ? image->height() : 0; }
    const native::Image* nativeImage() const { return image.get(); }

    // Draws the part starting at offset into dest at 1:1.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint()) const;

private:
    std::unique_ptr<native::Image> image;
};
