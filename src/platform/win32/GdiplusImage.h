// A decoded image: premultiplied BGRA pixels in plain memory, the format GDI+ draws fastest. It
// holds no GDI+ object, so an image kept past the last window (even one freed while the module
// unloads, where GDI+ must not be stopped) never keeps GDI+ running or touches it.
#pragma once

#include "GdiplusSession.h"
#include "platform/NativeImage.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <vector>

class GdiplusImage final : public native::Image {
public:
    // Copies the bitmap's pixels; GDI+ must be running.
    explicit GdiplusImage(Gdiplus::Bitmap& bitmap);
    int width() const override;
    int height() const override;
    std::unique_ptr<native::Image> scaled(int newWidth, int newHeight) const override;
    native::RgbaPixels pixels() const override;

    // A GDI+ bitmap over the pixels, for drawing while GDI+ runs; valid while this image lives.
    std::unique_ptr<Gdiplus::Bitmap> gdiplusBitmap() const;

private:
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<uint8_t> premultipliedBgra;
};

// Straight-alpha RGBA out of any GDI+ bitmap.
native::RgbaPixels pixelsOfBitmap(Gdiplus::Bitmap& bitmap);
