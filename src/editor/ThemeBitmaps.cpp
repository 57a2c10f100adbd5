#include "editor/ThemeBitmaps.h"

#include "platform/BuiltInImages.h"
#include "platform/SystemServices.h"
#include "settings/UserSettings.h"

#include <cmath>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A theme image scaled past these limits would take gigabytes; it is refused, not drawn.
constexpr double kMaxSide = 32768;
constexpr double kMaxPixels = 64.0 * 1024 * 1024;

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
        // A theme file that is no PNG leaves the built-in image in place.
        if (fs::is_regular_file(file, error))
            if (auto themed = native::loadPngFile(file))
                image = std::move(themed);
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
