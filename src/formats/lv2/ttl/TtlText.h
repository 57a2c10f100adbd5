// Small pieces of Turtle text for the bundle's generator.
#pragma once

#include <string>

// A float as the shortest decimal that reads back as the same float.
std::string ttlNumber(float value);
// A quoted string literal with Turtle's escapes.
std::string ttlString(const std::string& text);
// The port symbol of a parameter: its short name in lower case.
std::string ttlSymbol(int index);
