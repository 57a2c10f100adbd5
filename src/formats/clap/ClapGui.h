// The gui extension: the instrument's editor embedded in the host's window (X11 on Linux,
// Win32 on Windows) at the size chosen in the editor's own menu, kept alive by a host timer.
#pragma once

#include "clapabi.h"

extern const clap_plugin_gui_t kClapGui;
extern const clap_plugin_timer_support_t kClapTimerSupport;
