// A decoded image held as a GDI+ bitmap with premultiplied alpha, the format GDI+ draws fastest.
#pragma once

#include "GdiplusSession.h"
#include "platform/NativeImage.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>

class GdiplusImage final : public native::Image {
public:
    // Takes a bitmap that owns its pixels; keeps GDI+ running as long as it lives.
    explicit GdiplusImage(std::unique_ptr<Gdiplus::Bitmap> bitmap);
    int width() const override;
    int height() const override;
    std::unique_ptr<native::Image> scaled(int newWidth, int newHeight) const override;
    native::RgbaPixels pixels() const override;

    Gdiplus::Bitmap& bitmap() const { return *image; }

private:
    GdiplusUse gdiplus;
    std::unique_ptr<Gdiplus::Bitmap> image;
};

// Straight-alpha RGBA out of any GDI+ bitmap.
native::RgbaPixels pixelsOfBitmap(Gdiplus::Bitmap& bitmap);
