#include "editor/EditorImages.h"

#include "gui/CBitmap.h"
#include "settings/UserSettings.h"

namespace {

// A theme folder's PNG of that name, scaled by the factor.
CBitmap* loadImage(const UserSettings& settings, const std::string& name, double factor)
{
    auto* bitmap = new CBitmap();
    if (settings.themesFolderExists) {
        std::filesystem::path file = settings.themesFolder / settings.theme / (name + ".png");
        std::error_code error;
        if (std::filesystem::exists(file, error))
            bitmap->loadFromFile(file);
    }
    if (bitmap->isLoaded())
        bitmap->scaleTo(CCoord(bitmap->getWidth() * factor), CCoord(bitmap->getHeight() * factor));
    return bitmap;
}

} // namespace

EditorImages::EditorImages(const UserSettings& settings, bool extended, double bitmapFactor)
    : settings(settings), prefix(extended ? "E_" : "C_"), factor(bitmapFactor)
{
}

EditorImages::~EditorImages()
{
    for (auto& entry : loaded)
        entry.second->forget();
}

CBitmap* EditorImages::get(const char* stem)
{
    if (!stem)
        return nullptr;
    std::string name = prefix + std::string(stem);
    auto found = loaded.find(name);
    if (found != loaded.end())
        return found->second;
    CBitmap* bitmap = loadImage(settings, name, factor);
    loaded.emplace(name, bitmap);
    return bitmap;
}
