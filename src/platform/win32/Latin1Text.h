// The toolkit's text is 8-bit, one Latin-1 character per byte; Windows draws UTF-16.
#pragma once

#include <string>

std::wstring widenLatin1(const std::string& text);
// Characters beyond Latin-1 become '?', so the result is always valid 8-bit text.
std::string narrowToLatin1(const std::wstring& text);
