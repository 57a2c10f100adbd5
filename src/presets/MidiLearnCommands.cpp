#include "presets/MidiLearnCommands.h"

#include "settings/UserSettings.h"

#include <algorithm>
#include <cmath>

void chooseModController(UserSettings& settings, int which, float value)
{
    if (which < 0 || which > 1 || std::isnan(value))
        return;
    float clamped = std::clamp(value, 0.0f, 1.0f);
    int controller = std::min(int(120.0f * clamped) - 1, kNumMappableControllers - 1);
    settings.midiMap.modCcNumber[which].store(controller, std::memory_order_relaxed);
}

float modControllerChooserValue(int controller)
{
    if (controller < 0 || controller >= kNumMappableControllers)
        return 0.0f;
    // The middle of the controller's step, so float rounding never lands on its neighbour.
    return std::min(1.0f, (float(controller) + 1.5f) / 120.0f);
}

void clearLearnedController(UserSettings& settings)
{
    int parameter = settings.midiMap.learnParameter.load(std::memory_order_relaxed);
    for (auto& entry : settings.midiMap.ccMap) {
        int expected = parameter;
        entry.compare_exchange_strong(expected, -1, std::memory_order_relaxed);
    }
}
