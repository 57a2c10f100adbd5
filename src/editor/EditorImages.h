// The images of one opening of the editor, each loaded once through the theme and scaled by the
// bitmap factor. The set holds one reference to each; views take their own.
#pragma once

#include <map>
#include <string>

class CBitmap;
struct UserSettings;

class EditorImages {
public:
    EditorImages(const UserSettings& settings, bool extended, double bitmapFactor);
    ~EditorImages();
    EditorImages(const EditorImages&) = delete;
    EditorImages& operator=(const EditorImages&) = delete;

    // The layout's image of that stem ("KnobMainCW" -> "E_KnobMainCW"); null for a null stem.
    // An image that cannot be found is an empty bitmap: its control draws nothing.
    CBitmap* get(const char* stem);

private:
    const UserSettings& settings;
    const char* prefix;
    double factor;
    std::map<std::string, CBitmap*> loaded;
};
