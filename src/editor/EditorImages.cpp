#include "editor/EditorImages.h"

#include "editor/ThemeBitmaps.h"

EditorImages::EditorImages(const UserSettings& userSettings, bool extended, double bitmapFactor)
    : settings(userSettings), prefix(extended ? "E_" : "C_"), factor(bitmapFactor)
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
    CBitmap* bitmap = new Bitmap(settings, name, factor);
    loaded.emplace(name, bitmap);
    return bitmap;
}
