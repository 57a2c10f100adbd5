#include "CFontDesc.h"

namespace {
// Held forever: the extra reference keeps forget() from ever deleting them.
CFontDesc* permanent(CFontDesc* font)
{
    font->remember();
    return font;
}
} // namespace

CFontDesc* const kNormalFont = permanent(new CFontDesc("Arial", 12));
CFontDesc* const kNormalFontSmall = permanent(new CFontDesc("Arial", 10));
