// The params extension: the 199 parameters under their index as id, with the VST 2.4 build's
// names, range, display texts and text-to-value.
#pragma once

#include "clapabi.h"

extern const clap_plugin_params_t kClapParams;
