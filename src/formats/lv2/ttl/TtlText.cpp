#include "TtlText.h"

#include "params/ParamTable.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

std::string ttlNumber(float value)
{
    char text[48];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double(value));
        if (float(std::strtod(text, nullptr)) == value)
            break;
    }
    std::string out = text;
    // Turtle reads "1" as an integer and "1e-05" as a double; both are numbers to the host.
    return out;
}

std::string ttlString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80) {
            // Control characters, and bytes past ASCII read as Latin-1: Turtle is UTF-8.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", unsigned(static_cast<unsigned char>(c)));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ttlSymbol(int index)
{
    std::string symbol = kParamTable[index].shortName;
    for (char& c : symbol)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return symbol;
}
