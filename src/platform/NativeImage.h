// Decoded images: PNG from memory or a file, smooth scaling, raw pixels. One implementation per
// system (cairo on Linux, GDI+ on Windows). A graphics library that needs a process-wide start-up
// (GDI+) starts with the first live Image, Canvas or Window and stops after the last is gone.
#pragma once

#include "NativeGuiTypes.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace native {

class Image {
public:
    virtual ~Image() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // A new image of the given size drawn from this one with smooth interpolation; null for a
    // size below 1 pixel.
    virtual std::unique_ptr<Image> scaled(int newWidth, int newHeight) const = 0;
    virtual RgbaPixels pixels() const = 0;
};

// Null when the bytes are not a PNG image the system can decode.
std::unique_ptr<Image> decodePng(const void* data, size_t size);
// Null when the file cannot be read or is not a PNG image.
std::unique_ptr<Image> loadPngFile(const std::filesystem::path& file);
// Null for an empty or inconsistent pixel buffer.
std::unique_ptr<Image> imageFromPixels(const RgbaPixels& pixels);
// Writes pixels as a PNG file; false with a reason in error.
bool writePngFile(const RgbaPixels& pixels, const std::filesystem::path& file, std::string& error);

} // namespace native
