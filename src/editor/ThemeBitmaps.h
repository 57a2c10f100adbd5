// The program's image class: every picture of the editor is created through it, by name.
#pragma once

#include "gui/CBitmap.h"

#include <string>

struct UserSettings;

class Bitmap : public CBitmap {
public:
    // The built-in image called name (case does not matter), replaced by the current theme's
    // "<name>.png" when that file holds an image, then scaled by factor (the bitmap scale) with
    // smooth interpolation. A theme file over 32 MB, or declaring more than 4 times the built-in
    // image's width or height, is refused before decoding (said once on stderr). With neither
    // image, or a size that is no sensible picture, the bitmap is empty and draws nothing.
    Bitmap(const UserSettings& settings, const std::string& name, double factor);
};
