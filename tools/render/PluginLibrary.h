// Loading a plug-in library and finding its exports, on the two systems the hosts run on.
#pragma once

#include <string>

void* openLibrary(const std::string& path); // null on failure; libraryError() says why
std::string libraryError();
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);
