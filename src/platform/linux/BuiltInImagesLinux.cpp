#include "platform/BuiltInImages.h"

#include "platform/linux/EmbeddedImages.h"

#include <cctype>

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

ImageBytes builtInImage(std::string_view name)
{
    for (size_t i = 0; i < kEmbeddedImageCount; ++i) {
        const EmbeddedImage& image = kEmbeddedImages[i];
        if (sameIgnoringCase(name, image.name))
            return {reinterpret_cast<const unsigned char*>(image.data), image.size};
    }
    return {};
}
