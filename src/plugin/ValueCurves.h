// Unit curves shared by the engine, the display texts and the editor: normalized values to
// rates and times, free or synchronized to the block's tempo.
#pragma once

#include "TempoInfo.h"

float lfoRateHz(float value, bool sync, TempoInfo tempo);
float delayTimeMs(float value, bool sync, TempoInfo tempo);
float predelayMs(float value, bool sync, TempoInfo tempo);
