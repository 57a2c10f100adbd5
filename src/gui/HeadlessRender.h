// Draws any view tree into an RGBA image without a display, and writes it as PNG.
#pragma once

#include "platform/NativeGuiTypes.h"

#include <filesystem>
#include <string>

class CView;

// The view's whole area (its own size; origin at its top-left corner), over transparent black.
native::RgbaPixels renderView(CView& view);
// False with a reason in error when the file cannot be written.
bool renderViewToPng(CView& view, const std::filesystem::path& file, std::string& error);
