// A font: face name, pixel size and style. A missing face is drawn with a close installed one.
#pragma once

#include "CReferenceCounter.h"
#include "platform/NativeGuiTypes.h"

#include <string>

enum CTxtFace { kNormalFace = 0, kBoldFace = 1, kItalicFace = 2 };

class CFontDesc : public CReferenceCounter {
public:
    CFontDesc(const std::string& fontName, int pointSize, int fontStyle = kNormalFace)
        : name(fontName), size(pointSize), style(fontStyle)
    {
    }

    const std::string& getName() const { return name; }
    native::FontSpec fontSpec() const { return {name, double(size), (style & kBoldFace) != 0}; }

private:
    std::string name;
    int size;
    int style;
};

using CFontRef = CFontDesc*;

// The toolkit's standard fonts; never released.
extern CFontDesc* const kNormalFont;      // "Arial" 12
extern CFontDesc* const kNormalFontSmall; // "Arial" 10
