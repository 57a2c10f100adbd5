// Windows mouse and key messages in the toolkit's terms.
#pragma once

#include "platform/NativeGuiTypes.h"

#include <windows.h>

// Modifier keys held now, as InputFlags bits.
unsigned currentModifiers();
// Buttons and modifiers of a mouse message's wParam, plus the button of a press or release.
unsigned mouseFlags(UINT message, WPARAM wParam);
// A key message as VST hosts report keys; false for keys the toolkit has no code for.
bool translateKey(WPARAM virtualKey, native::KeyEvent& key);
