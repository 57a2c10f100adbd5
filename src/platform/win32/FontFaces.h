// Font faces for GDI+. Themes ask for Windows faces ("Arial", "Consolas", "Trebuchet MS"); where
// one is missing (Wine knows fonts by their Linux names) a metrically close installed face stands
// in, then a generic sans-serif or monospace face, so text is always drawn.
#pragma once

#include "platform/NativeGuiTypes.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

// The faces to try for a face, best first; matched without regard to case.
std::vector<std::wstring> fontFaceCandidates(const std::wstring& face);

// The installed family used for a face; GDI+ must be running. Never empty.
std::wstring resolveFontFace(const std::wstring& face);

// A font in pixels for the description, in its resolved family; null only when GDI+ has no font at all.
std::unique_ptr<Gdiplus::Font> createFont(const native::FontSpec& fontSpec);
