#include "editor/TextStyling.h"

#include "gui/CFontDesc.h"
#include "gui/CParamDisplay.h"

ElementStyle scaledStyle(const ElementStyle& style, double factor)
{
    ElementStyle scaled = style;
    scaled.fontSize = int(style.fontSize * factor);
    return scaled;
}

void applyTextStyle(CParamDisplay& view, const ElementStyle& style)
{
    // Without a face of its own the text keeps the standard face but still grows with the window.
    auto* font = new CFontDesc(style.fontFace.empty() ? kNormalFont->getName() : style.fontFace, style.fontSize,
                               style.faceStyle);
    view.setFont(font);
    font->forget();
    view.setHoriAlign(style.alignment == 0 ? kLeftText : kCenterText);
    applyTextColours(view, style);
}

void applyTextColours(CParamDisplay& view, const ElementStyle& style)
{
    view.setFontColor(toColor(style.fontColour));
    view.setBackColor(toColor(style.backColour));
    view.setFrameColor(toColor(style.frameColour));
}
