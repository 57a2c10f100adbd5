#include "editor/ThemeBitmaps.h"

#include "platform/BuiltInImages.h"
#include "platform/SystemServices.h"
#include "settings/UserSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A theme image scaled past these limits would take gigabytes; it is refused, not drawn.
constexpr double kMaxSide = 32768;
constexpr double kMaxPixels = 64.0 * 1024 * 1024;
// A theme image is drawn for at most "Large" over "Small" (2x) with some room for detail; past
// this many times the built-in image's size in either direction it is no image for this slot.
constexpr uint32_t kMaxTimesBuiltIn = 4;
// Far above any image the layout can use, small enough to read in a moment.
constexpr uintmax_t kMaxThemeFileBytes = 32u * 1024 * 1024;

struct PngSize {
    uint32_t width = 0, height = 0;
};

uint32_t bigEndian(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

// The size a PNG declares in its header, read without decoding; false for anything else.
bool readPngSize(const unsigned char* bytes, size_t size, PngSize& png)
{
    static const unsigned char kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (size < 24 || !std::equal(kStart, kStart + 16, bytes))
        return false;
    png = {bigEndian(bytes + 16), bigEndian(bytes + 20)};
    return png.width > 0 && png.height > 0;
}

// Why a theme's PNG file may not replace the built-in image; empty when it may be decoded.
std::string refusalOf(const fs::path& file, const ImageBytes& builtIn)
{
    std::error_code error;
    uintmax_t bytes = fs::file_size(file, error);
    if (error)
        return "it cannot be read";
    if (bytes > kMaxThemeFileBytes)
        return "the file is larger than " + std::to_string(kMaxThemeFileBytes >> 20) + " MB";
    unsigned char header[24] = {};
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(header), sizeof header);
    PngSize png;
    if (!readPngSize(header, size_t(in.gcount()), png))
        return "it is not a PNG image";
    PngSize limit{uint32_t(kMaxSide), uint32_t(kMaxSide)};
    PngSize native;
    if (readPngSize(builtIn.data, builtIn.size, native))
        limit = {native.width * kMaxTimesBuiltIn, native.height * kMaxTimesBuiltIn};
    if (png.width > limit.width || png.height > limit.height || double(png.width) * png.height > kMaxPixels)
        return "it is " + std::to_string(png.width) + " x " + std::to_string(png.height) +
               " pixels, more than " + std::to_string(kMaxTimesBuiltIn) + " times the built-in image";
    return {};
}

// Once per theme, image and reason for the life of the process, not at every opening.
void reportRefusal(const UserSettings& settings, const std::string& name, const std::string& reason)
{
    static std::mutex lock;
    static std::set<std::string> reported;
    const std::string message = "Morvelline: theme \"" + narrowOneToOne(settings.theme) + "\": " + name +
                                ".png is not used, " + reason + "; the built-in image stands in.";
    std::lock_guard<std::mutex> guard(lock);
    if (reported.insert(message).second)
        std::fprintf(stderr, "%s\n", message.c_str());
}

std::unique_ptr<native::Image> loadImage(const UserSettings& settings, const std::string& name)
{
    std::unique_ptr<native::Image> image;
    ImageBytes builtIn = builtInImage(name);
    if (!builtIn.empty())
        image = native::decodePng(builtIn.data, builtIn.size);
    if (settings.themesFolderExists) {
        fs::path file =
            settings.themesFolder / fileNameToPath(settings.theme) / fileNameToPath(widenOneToOne(name + ".png"));
        std::error_code error;
        if (fs::is_regular_file(file, error)) {
            // Refused before decoding: a small file may declare an image of gigabytes.
            std::string refusal = refusalOf(file, builtIn);
            if (!refusal.empty())
                reportRefusal(settings, name, refusal);
            // A theme file that is no PNG leaves the built-in image in place.
            else if (auto themed = native::loadPngFile(file))
                image = std::move(themed);
        }
    }
    return image;
}

std::unique_ptr<native::Image> scaledImage(std::unique_ptr<native::Image> image, double factor)
{
    if (!image)
        return image;
    double width = std::trunc(image->width() * factor);
    double height = std::trunc(image->height() * factor);
    if (!(width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels))
        return nullptr;
    if (int(width) == image->width() && int(height) == image->height())
        return image;
    return image->scaled(int(width), int(height));
}

} // namespace

Bitmap::Bitmap(const UserSettings& settings, const std::string& name, double factor)
    : CBitmap(scaledImage(loadImage(settings, name), factor))
{
}
