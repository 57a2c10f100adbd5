// The extensions the plug-in offers hosts, by id; null for one it does not have.
#pragma once

const void* clapExtension(const char* id);
