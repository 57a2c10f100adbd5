// Captures a window's client area into a PNG file, the Windows counterpart of a screenshot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct CapturedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows top to bottom

    // How many distinct colours the image holds: 1 means nothing was drawn.
    size_t distinctColours() const;
};

// PrintWindow of the client area; an empty image when the window cannot be printed.
CapturedImage captureWindow(HWND window);
// Written with GDI+'s PNG encoder; false on failure.
bool writePng(const CapturedImage& image, const wchar_t* file);
