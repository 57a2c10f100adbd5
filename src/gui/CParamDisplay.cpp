#include "CParamDisplay.h"

#include "CDrawContext.h"
#include "CFontDesc.h"

#include <cstdio>
#include <cstring>

CParamDisplay::CParamDisplay(const CRect& area, CBitmap* backgroundImage) : CControl(area, nullptr, 0, backgroundImage)
{
    setFont(kNormalFont);
}

CParamDisplay::~CParamDisplay()
{
    if (font)
        font->forget();
}

void CParamDisplay::setValueToStringProc(CParamDisplayValueToStringProc proc, void* userData)
{
    valueToString = proc;
    valueToStringUserData = userData;
    setDirty();
}

std::string CParamDisplay::textForValue() const
{
    char text[257] = {};
    if (valueToString)
        valueToString(getValue(), text, valueToStringUserData);
    else
        std::snprintf(text, sizeof text, "%.2f", double(getValue()));
    text[256] = 0;
    return text;
}

void CParamDisplay::setFont(CFontDesc* newFont)
{
    if (!newFont)
        newFont = kNormalFont;
    newFont->remember();
    if (font)
        font->forget();
    font = newFont;
    setDirty();
}

void CParamDisplay::draw(CDrawContext* context)
{
    drawText(context, textForValue());
    setDirty(false);
}

void CParamDisplay::drawText(CDrawContext* context, const std::string& text)
{
    if (!transparency)
        context->fillRect(size, backColor);
    drawBackground(context);
    context->drawString(text, size, font, fontColor, horiAlign);
    context->frameRect(size, frameColor);
}

bool CParamDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CParamDisplay") == 0 || CControl::isTypeOf(className);
}
