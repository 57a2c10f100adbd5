// A theme's element style applied to the toolkit's text views.
#pragma once

#include "gui/GuiTypes.h"
#include "settings/ThemeStyle.h"

class CParamDisplay;

inline CColor toColor(const ThemeColour& c)
{
    return {c.red, c.green, c.blue, c.alpha};
}

// The style with its font size multiplied by the window factor (truncated).
ElementStyle scaledStyle(const ElementStyle& style, double factor);
// Font (a new one of the style's face, size and face style, or the toolkit's normal font when
// the style names no face), alignment and the three colours.
void applyTextStyle(CParamDisplay& view, const ElementStyle& style);
// Only the three colours.
void applyTextColours(CParamDisplay& view, const ElementStyle& style);
