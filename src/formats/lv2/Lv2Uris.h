// The names the plug-in, its UI and the generated bundle share: the URIs of the plug-in, the UI,
// the presets and the two properties the plug-in keeps besides its controls, and the port
// numbers. The control ports come first, numbered like the parameters.
#pragma once

#include "params/ParamTable.h"

#include <cstdint>

namespace lv2uri {
inline constexpr const char* kPlugin = "urn:hollowfen:morvelline";
inline constexpr const char* kUi = "urn:hollowfen:morvelline#ui";
// The current program's name and number: the host saves them as state, and the UI and the
// host's own controls change them through patch messages.
inline constexpr const char* kProgramName = "urn:hollowfen:morvelline#programName";
inline constexpr const char* kProgram = "urn:hollowfen:morvelline#program";
// What the plug-in tells its UI for the editor's lamps: the voices that sound (a bit each) and
// whether a key is held, both in one object of the plug-in's own type. Not a patch:Set: a host
// that reads patch messages on their way to the UI (Ardour) has no such properties and would
// complain of each message from its audio thread.
inline constexpr const char* kVoiceActivity = "urn:hollowfen:morvelline#VoiceActivity";
inline constexpr const char* kVoices = "urn:hollowfen:morvelline#voices";
inline constexpr const char* kKeyHeld = "urn:hollowfen:morvelline#keyHeld";
// Factory program n (0 to 99) is the preset kPresetPrefix followed by n + 1 in three digits.
inline constexpr const char* kPresetPrefix = "urn:hollowfen:morvelline:preset:";
} // namespace lv2uri

namespace lv2port {
constexpr uint32_t kFirstControl = 0;            // parameter i is port i
constexpr uint32_t kEvents = kNumParams;         // MIDI, transport and patch messages in
constexpr uint32_t kNotify = kNumParams + 1;     // patch messages out, to the UI
constexpr uint32_t kLeft = kNumParams + 2;
constexpr uint32_t kRight = kNumParams + 3;
constexpr uint32_t kCount = kNumParams + 4;
} // namespace lv2port
