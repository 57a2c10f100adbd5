#include "CTextLabel.h"

#include <cstring>

CTextLabel::CTextLabel(const CRect& area, const std::string& initialText, CBitmap* backgroundImage)
    : CParamDisplay(area, backgroundImage), text(initialText)
{
}

void CTextLabel::setText(const std::string& newText)
{
    {
        std::lock_guard<std::mutex> hold(textLock);
        if (text == newText)
            return;
        text = newText;
    }
    setDirty();
}

std::string CTextLabel::getText() const
{
    std::lock_guard<std::mutex> hold(textLock);
    return text;
}

bool CTextLabel::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextLabel") == 0 || CParamDisplay::isTypeOf(className);
}
