#include "WindowCapture.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <set>

size_t CapturedImage::distinctColours() const
{
    std::set<uint32_t> colours(pixels.begin(), pixels.end());
    return colours.size();
}

CapturedImage captureWindow(HWND window)
{
    CapturedImage image;
    RECT client{};
    if (!IsWindow(window) || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        if (PrintWindow(window, memory, PW_CLIENTONLY)) {
            GdiFlush();
            image.width = client.right;
            image.height = client.bottom;
            auto* source = static_cast<const uint32_t*>(bits);
            image.pixels.assign(source, source + size_t(image.width) * size_t(image.height));
            for (auto& pixel : image.pixels)
                pixel |= 0xff000000u; // a window has no transparency
        }
        SelectObject(memory, old);
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    return image;
}

namespace {

bool pngEncoder(CLSID* encoder)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::unique_ptr<char[]> buffer(new char[bytes]);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *encoder = codecs[i].Clsid;
            return true;
        }
    return false;
}

} // namespace

bool writePng(const CapturedImage& image, const wchar_t* file)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    bool written = false;
    {
        Gdiplus::Bitmap bitmap(image.width, image.height, image.width * 4, PixelFormat32bppARGB,
                               reinterpret_cast<BYTE*>(const_cast<uint32_t*>(image.pixels.data())));
        CLSID encoder;
        written = pngEncoder(&encoder) && bitmap.Save(file, &encoder, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return written;
}
