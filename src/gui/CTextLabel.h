// A display of fixed text instead of the value.
#pragma once

#include "CParamDisplay.h"

#include <mutex>
#include <string>

class CTextLabel : public CParamDisplay {
public:
    CTextLabel(const CRect& size, const std::string& text = "", CBitmap* background = nullptr);

    // Marks the label dirty when the text differs; safe from any thread.
    virtual void setText(const std::string& newText);
    std::string getText() const;
    std::string textForValue() const override { return getText(); }
    bool isTypeOf(const char* className) const override;

private:
    mutable std::mutex textLock;
    std::string text;
};
