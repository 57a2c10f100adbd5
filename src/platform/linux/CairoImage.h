// A decoded image held as a cairo image surface (premultiplied ARGB32).
#pragma once

#include "../NativeImage.h"

#include <cairo.h>

namespace native {

class CairoImage : public Image {
public:
    // Takes over the surface's reference.
    explicit CairoImage(cairo_surface_t* owned) : surface(owned) {}
    ~CairoImage() override { cairo_surface_destroy(surface); }
    CairoImage(const CairoImage&) = delete;
    CairoImage& operator=(const CairoImage&) = delete;

    int width() const override { return cairo_image_surface_get_width(surface); }
    int height() const override { return cairo_image_surface_get_height(surface); }
    std::unique_ptr<Image> scaled(int newWidth, int newHeight) const override;
    RgbaPixels pixels() const override;
    cairo_surface_t* cairoSurface() const { return surface; }

private:
    cairo_surface_t* surface;
};

// Straight RGBA from a premultiplied ARGB32 image surface.
RgbaPixels pixelsOfSurface(cairo_surface_t* surface);

} // namespace native
