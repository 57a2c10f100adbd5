// The value a knob returns to on double-click or Ctrl+click, by control tag.
#pragma once

float knobDefaultValue(int tag);
