// The program's image class: every picture of the editor is created through it, by name.
#pragma once

#include "gui/CBitmap.h"

#include <string>

struct UserSettings;

class Bitmap : public CBitmap {
public:
    // The built-in image called name (case does not matter), replaced by the current theme's
    // "<name>.png" when that file holds an image, then scaled by factor (the bitmap scale) with
    // smooth interpolation. With neither image, or a size that is no sensible picture, the
    // bitmap is empty and draws nothing.
    Bitmap(const UserSettings& settings, const std::string& name, double factor);
};
