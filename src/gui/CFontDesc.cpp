#include "CFontDesc.h"

namespace {
// Static, so unloading the library frees them; the extra reference keeps forget() from ever
// deleting them.
struct PermanentFont : CFontDesc {
    PermanentFont(const char* fontName, int pointSize) : CFontDesc(fontName, pointSize) { remember(); }
};
PermanentFont normalFont("Arial", 12);
PermanentFont normalFontSmall("Arial", 10);
} // namespace

CFontDesc* const kNormalFont = &normalFont;
CFontDesc* const kNormalFontSmall = &normalFontSmall;
