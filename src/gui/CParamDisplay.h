// Shows the value as text: back colour fill, text through the value-to-text procedure (or the
// value with two decimals), frame outline. Colours with alpha 0 draw nothing; a transparent
// display skips the back colour.
#pragma once

#include "CControl.h"

#include <string>

class CFontDesc;

using CParamDisplayValueToStringProc = void (*)(float value, char* text, void* userData);

class CParamDisplay : public CControl {
public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr);
    ~CParamDisplay() override;

    // text has room for 256 characters.
    void setValueToStringProc(CParamDisplayValueToStringProc proc, void* userData = nullptr);
    // The text drawn for the current value.
    virtual std::string textForValue() const;

    // The font is remembered by the display; null means kNormalFont.
    void setFont(CFontDesc* font);
    CFontDesc* getFont() const { return font; }
    void setFontColor(const CColor& color)
    {
        fontColor = color;
        setDirty();
    }
    void setBackColor(const CColor& color)
    {
        backColor = color;
        setDirty();
    }
    void setFrameColor(const CColor& color)
    {
        frameColor = color;
        setDirty();
    }
    void setHoriAlign(CHoriTxtAlign align)
    {
        horiAlign = align;
        setDirty();
    }

    void draw(CDrawContext* context) override;
    // Draws back colour, text and frame for the given text.
    void drawText(CDrawContext* context, const std::string& text);
    bool isTypeOf(const char* className) const override;

protected:
    CParamDisplayValueToStringProc valueToString = nullptr;
    void* valueToStringUserData = nullptr;
    CFontDesc* font = nullptr;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CHoriTxtAlign horiAlign = kCenterText;
};
