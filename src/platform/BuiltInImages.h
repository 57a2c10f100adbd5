// The PNG images the plug-in library carries: resources of type "DATA" in the Windows DLLs, a
// table compiled into the library elsewhere. Names are matched without regard to case.
#pragma once

#include <cstddef>
#include <string_view>

struct ImageBytes {
    const unsigned char* data = nullptr;
    size_t size = 0;
    bool empty() const { return size == 0; }
};

// The PNG bytes of a built-in image, or empty bytes when the library has no image of that name.
ImageBytes builtInImage(std::string_view name);
