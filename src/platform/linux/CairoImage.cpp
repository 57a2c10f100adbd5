#include "CairoImage.h"

#include "../AtomicFile.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace native {

namespace {

struct ByteReader {
    const unsigned char* data;
    size_t size;
    size_t position = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->size - reader->position < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

bool usable(cairo_surface_t* surface)
{
    return surface && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
           cairo_image_surface_get_width(surface) > 0 && cairo_image_surface_get_height(surface) > 0;
}

// Every decoded image in one layout, so that drawing and pixel access need no other case.
cairo_surface_t* asArgb32(cairo_surface_t* surface)
{
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32)
        return surface;
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    cairo_surface_t* converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(converted);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return converted;
}

} // namespace

RgbaPixels pixelsOfSurface(cairo_surface_t* surface)
{
    cairo_surface_flush(surface);
    RgbaPixels out;
    out.width = cairo_image_surface_get_width(surface);
    out.height = cairo_image_surface_get_height(surface);
    out.bytes.resize(size_t(out.width) * size_t(out.height) * 4);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < out.width; ++x) {
            uint32_t argb = row[x];
            unsigned a = argb >> 24;
            uint8_t* p = &out.bytes[(size_t(y) * size_t(out.width) + size_t(x)) * 4];
            auto unpremultiply = [a](unsigned c) { return uint8_t(a ? (c * 255 + a / 2) / a : 0); };
            p[0] = unpremultiply((argb >> 16) & 255);
            p[1] = unpremultiply((argb >> 8) & 255);
            p[2] = unpremultiply(argb & 255);
            p[3] = uint8_t(a);
        }
    }
    return out;
}

RgbaPixels CairoImage::pixels() const
{
    return pixelsOfSurface(surface);
}

std::unique_ptr<Image> CairoImage::scaled(int newWidth, int newHeight) const
{
    if (newWidth < 1 || newHeight < 1)
        return nullptr;
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, newWidth, newHeight);
    if (!usable(target)) {
        cairo_surface_destroy(target);
        return nullptr;
    }
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, double(newWidth) / width(), double(newHeight) / height());
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cr);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // Edge pixels repeat outwards, so the border does not fade into transparency.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return std::make_unique<CairoImage>(target);
}

std::unique_ptr<Image> decodePng(const void* data, size_t size)
{
    if (!data || size < 8)
        return nullptr;
    ByteReader reader{static_cast<const unsigned char*>(data), size};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readBytes, &reader);
    if (!usable(surface)) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_unique<CairoImage>(asArgb32(surface));
}

std::unique_ptr<Image> loadPngFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return nullptr;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return decodePng(bytes.data(), bytes.size());
}

std::unique_ptr<Image> imageFromPixels(const RgbaPixels& pixels)
{
    if (pixels.width < 1 || pixels.height < 1 ||
        pixels.bytes.size() != size_t(pixels.width) * size_t(pixels.height) * 4)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels.width, pixels.height);
    if (!usable(surface)) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < pixels.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < pixels.width; ++x) {
            const uint8_t* p = &pixels.bytes[(size_t(y) * size_t(pixels.width) + size_t(x)) * 4];
            unsigned a = p[3];
            auto premultiply = [a](unsigned c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (premultiply(p[0]) << 16) | (premultiply(p[1]) << 8) | premultiply(p[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return std::make_unique<CairoImage>(surface);
}

bool writePngFile(const RgbaPixels& pixels, const std::filesystem::path& file, std::string& error)
{
    auto image = imageFromPixels(pixels);
    if (!image) {
        error = "there is no image to write";
        return false;
    }
    std::vector<unsigned char> encoded;
    auto* cairoImage = static_cast<CairoImage*>(image.get());
    if (cairo_surface_write_to_png_stream(cairoImage->cairoSurface(), appendBytes, &encoded) != CAIRO_STATUS_SUCCESS) {
        error = "the image could not be encoded as PNG";
        return false;
    }
    std::string_view contents(reinterpret_cast<const char*>(encoded.data()), encoded.size());
    if (!writeFileAtomically(file, contents)) {
        error = "cannot write '" + file.string() + "'";
        return false;
    }
    return true;
}

} // namespace native
