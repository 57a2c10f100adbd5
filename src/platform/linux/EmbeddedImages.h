// The table of built-in PNG images that the build generates from the image drawings.
#pragma once

#include <cstddef>

struct EmbeddedImage {
    const char* name;
    const char* data;
    size_t size;
};

extern const EmbeddedImage kEmbeddedImages[];
extern const size_t kEmbeddedImageCount;
