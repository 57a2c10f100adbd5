#include "Latin1Text.h"

std::wstring widenLatin1(const std::string& text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide.push_back(wchar_t(static_cast<unsigned char>(c)));
    return wide;
}

std::string narrowToLatin1(const std::wstring& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text)
        narrow.push_back(unsigned(c) <= 0xff ? char(static_cast<unsigned char>(c)) : '?');
    return narrow;
}
