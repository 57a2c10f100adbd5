// Who the plug-in is to hosts and to its own files: hosts store presets and banks under the
// unique ID, so neither number may change by accident.
#pragma once

#include <cstdint>

constexpr std::int32_t kUniqueId = 0x2D535E34;
constexpr std::int32_t kVendorVersion = 1302;
