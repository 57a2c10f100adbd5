#include "GdiplusImage.h"

#include "platform/AtomicFile.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::unique_ptr<Gdiplus::Bitmap> blankBitmap(int width, int height)
{
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    return bitmap->GetLastStatus() == Gdiplus::Ok ? std::move(bitmap) : nullptr;
}

// Draws source into a new bitmap of the given size: a 1:1 copy or a smooth scaling.
std::unique_ptr<Gdiplus::Bitmap> redrawnBitmap(Gdiplus::Bitmap& source, int width, int height)
{
    auto copy = blankBitmap(width, height);
    if (!copy)
        return nullptr;
    Gdiplus::Graphics graphics(copy.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    bool sameSize = width == int(source.GetWidth()) && height == int(source.GetHeight());
    graphics.SetInterpolationMode(sameSize ? Gdiplus::InterpolationModeNearestNeighbor
                                           : Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // Clamped edges: without them the filter blends in transparent pixels from outside.
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Gdiplus::Rect target(0, 0, width, height);
    if (graphics.DrawImage(&source, target, 0, 0, int(source.GetWidth()), int(source.GetHeight()), Gdiplus::UnitPixel,
                           &edges) != Gdiplus::Ok)
        return nullptr;
    return copy;
}

bool pngEncoder(CLSID* encoder)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *encoder = codecs[i].Clsid;
            return true;
        }
    return false;
}

bool pixelsConsistent(const native::RgbaPixels& pixels)
{
    return pixels.width > 0 && pixels.height > 0 && pixels.width <= 32767 && pixels.height <= 32767 &&
           pixels.bytes.size() == size_t(pixels.width) * size_t(pixels.height) * 4;
}

// A bitmap over the pixels (as BGRA): the caller keeps bgra alive while it is used.
std::vector<uint8_t> toBgra(const native::RgbaPixels& pixels)
{
    std::vector<uint8_t> bgra(pixels.bytes);
    for (size_t i = 0; i < bgra.size(); i += 4)
        std::swap(bgra[i], bgra[i + 2]);
    return bgra;
}

// The encoded PNG file contents, read back from a memory stream.
bool encodePng(const native::RgbaPixels& pixels, std::string& contents)
{
    CLSID encoder;
    if (!pngEncoder(&encoder))
        return false;
    std::vector<uint8_t> bgra = toBgra(pixels);
    Gdiplus::Bitmap bitmap(pixels.width, pixels.height, pixels.width * 4, PixelFormat32bppARGB, bgra.data());
    IStream* stream = SHCreateMemStream(nullptr, 0);
    if (!stream)
        return false;
    bool encoded = bitmap.Save(stream, &encoder, nullptr) == Gdiplus::Ok;
    STATSTG status{};
    if (encoded && stream->Stat(&status, STATFLAG_NONAME) == S_OK) {
        contents.resize(size_t(status.cbSize.QuadPart));
        LARGE_INTEGER start{};
        ULONG read = 0;
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        encoded = stream->Read(contents.data(), ULONG(contents.size()), &read) == S_OK && read == contents.size();
    }
    stream->Release();
    return encoded;
}

} // namespace

GdiplusImage::GdiplusImage(Gdiplus::Bitmap& bitmap)
{
    Gdiplus::Rect all(0, 0, int(bitmap.GetWidth()), int(bitmap.GetHeight()));
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
        return;
    imageWidth = all.Width;
    imageHeight = all.Height;
    size_t rowBytes = size_t(all.Width) * 4;
    premultipliedBgra.resize(rowBytes * size_t(all.Height));
    for (int y = 0; y < all.Height; ++y)
        std::memcpy(&premultipliedBgra[rowBytes * size_t(y)],
                    static_cast<const uint8_t*>(data.Scan0) + ptrdiff_t(y) * data.Stride, rowBytes);
    bitmap.UnlockBits(&data);
}

int GdiplusImage::width() const
{
    return imageWidth;
}

int GdiplusImage::height() const
{
    return imageHeight;
}

std::unique_ptr<Gdiplus::Bitmap> GdiplusImage::gdiplusBitmap() const
{
    if (premultipliedBgra.empty())
        return nullptr;
    // GDI+ only reads through this pointer: the bitmap is used as a drawing source.
    auto* pixels = const_cast<uint8_t*>(premultipliedBgra.data());
    return std::make_unique<Gdiplus::Bitmap>(imageWidth, imageHeight, imageWidth * 4, PixelFormat32bppPARGB, pixels);
}

std::unique_ptr<native::Image> GdiplusImage::scaled(int newWidth, int newHeight) const
{
    if (newWidth < 1 || newHeight < 1)
        return nullptr;
    GdiplusUse gdiplus;
    auto source = gdiplus.ok() ? gdiplusBitmap() : nullptr;
    auto bitmap = source ? redrawnBitmap(*source, newWidth, newHeight) : nullptr;
    return bitmap ? std::make_unique<GdiplusImage>(*bitmap) : nullptr;
}

native::RgbaPixels GdiplusImage::pixels() const
{
    native::RgbaPixels result{imageWidth, imageHeight, std::vector<uint8_t>(premultipliedBgra.size())};
    for (size_t i = 0; i < premultipliedBgra.size(); i += 4) {
        unsigned alpha = premultipliedBgra[i + 3];
        auto straight = [alpha](unsigned channel) {
            return uint8_t(alpha == 0 ? 0 : std::min(255u, (channel * 255 + alpha / 2) / alpha));
        };
        result.bytes[i] = straight(premultipliedBgra[i + 2]);
        result.bytes[i + 1] = straight(premultipliedBgra[i + 1]);
        result.bytes[i + 2] = straight(premultipliedBgra[i]);
        result.bytes[i + 3] = uint8_t(alpha);
    }
    return result;
}

native::RgbaPixels pixelsOfBitmap(Gdiplus::Bitmap& bitmap)
{
    native::RgbaPixels result;
    Gdiplus::Rect all(0, 0, int(bitmap.GetWidth()), int(bitmap.GetHeight()));
    Gdiplus::BitmapData data{};
    // Asking for straight ARGB lets GDI+ undo the premultiplication.
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return result;
    result.width = all.Width;
    result.height = all.Height;
    result.bytes.resize(size_t(all.Width) * size_t(all.Height) * 4);
    for (int y = 0; y < all.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(data.Scan0) + ptrdiff_t(y) * data.Stride;
        uint8_t* out = &result.bytes[size_t(y) * size_t(all.Width) * 4];
        for (int x = 0; x < all.Width; ++x, row += 4, out += 4) {
            out[0] = row[2];
            out[1] = row[1];
            out[2] = row[0];
            out[3] = row[3];
        }
    }
    bitmap.UnlockBits(&data);
    return result;
}

std::unique_ptr<native::Image> native::decodePng(const void* data, size_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!data || size < sizeof(signature) || size > 0x7fffffff || std::memcmp(data, signature, sizeof(signature)) != 0)
        return nullptr;
    GdiplusUse gdiplus;
    if (!gdiplus.ok())
        return nullptr;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), UINT(size));
    if (!stream)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> owned;
    {
        // GDI+ reads the stream lazily, so the owned copy is made while the stream lives.
        Gdiplus::Bitmap decoded(stream);
        if (decoded.GetLastStatus() == Gdiplus::Ok && decoded.GetWidth() > 0 && decoded.GetHeight() > 0)
            owned = redrawnBitmap(decoded, int(decoded.GetWidth()), int(decoded.GetHeight()));
    }
    stream->Release();
    return owned ? std::make_unique<GdiplusImage>(*owned) : nullptr;
}

std::unique_ptr<native::Image> native::loadPngFile(const std::filesystem::path& file)
{
    // Read whole, so the file is not held open (a theme author may be saving it).
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return nullptr;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return decodePng(bytes.data(), bytes.size());
}

std::unique_ptr<native::Image> native::imageFromPixels(const RgbaPixels& pixels)
{
    if (!pixelsConsistent(pixels))
        return nullptr;
    GdiplusUse gdiplus;
    if (!gdiplus.ok())
        return nullptr;
    std::vector<uint8_t> bgra = toBgra(pixels);
    Gdiplus::Bitmap straight(pixels.width, pixels.height, pixels.width * 4, PixelFormat32bppARGB, bgra.data());
    auto owned = redrawnBitmap(straight, pixels.width, pixels.height);
    return owned ? std::make_unique<GdiplusImage>(*owned) : nullptr;
}

bool native::writePngFile(const RgbaPixels& pixels, const std::filesystem::path& file, std::string& error)
{
    if (!pixelsConsistent(pixels)) {
        error = "the image is empty";
        return false;
    }
    GdiplusUse gdiplus;
    std::string contents;
    if (!gdiplus.ok() || !encodePng(pixels, contents)) {
        error = "the image cannot be encoded as PNG";
        return false;
    }
    if (!writeFileAtomically(file, contents)) {
        error = "cannot write " + file.string();
        return false;
    }
    return true;
}
