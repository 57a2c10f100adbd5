#include "Lv2PortValues.h"

#include "params/ParamTable.h"

#include <algorithm>
#include <cmath>

namespace {

bool codeKindOf(DisplayKind kind, CodeKind& code)
{
    switch (kind) {
    case DisplayKind::OscWave: code = CodeKind::OscWave; return true;
    case DisplayKind::FilterType: code = CodeKind::FilterType; return true;
    case DisplayKind::LfoWave: code = CodeKind::LfoWave; return true;
    case DisplayKind::SubAlternative: code = CodeKind::SubAlt; return true;
    case DisplayKind::ModSource: code = CodeKind::ModSource; return true;
    case DisplayKind::ModTarget: code = CodeKind::ModTarget; return true;
    default: return false;
    }
}

} // namespace

bool lv2CodeKind(int index, CodeKind& kind)
{
    return index >= 0 && index < kNumParams && codeKindOf(kParamTable[index].kind, kind);
}

Lv2PortKind lv2PortKind(int index)
{
    CodeKind code;
    if (lv2CodeKind(index, code))
        return Lv2PortKind::Coded;
    if (index >= 0 && index < kNumParams && kParamTable[index].kind == DisplayKind::Switch)
        return Lv2PortKind::Toggle;
    return Lv2PortKind::Continuous;
}

int lv2LargestStoredNumber(CodeKind kind)
{
    int largest = 0;
    for (int code = 0; code < codeCount(kind); ++code)
        largest = std::max(largest, codeStoredNumber(kind, code));
    return largest;
}

float lv2ValueFromPort(int index, float port)
{
    if (!std::isfinite(port))
        return port;
    CodeKind code;
    switch (lv2PortKind(index)) {
    case Lv2PortKind::Coded: {
        lv2CodeKind(index, code);
        // Hosts may interpolate between entries: the nearest stored number counts.
        const long stored = std::clamp(std::lround(port), 0L, long(lv2LargestStoredNumber(code)));
        return float(stored) / 100.0f;
    }
    case Lv2PortKind::Toggle:
        return port > 0.0f ? 1.0f : 0.0f;
    case Lv2PortKind::Continuous:
        break;
    }
    return port;
}

bool lv2PortFromValue(int index, float value, float& port)
{
    switch (lv2PortKind(index)) {
    case Lv2PortKind::Coded: {
        CodeKind code;
        lv2CodeKind(index, code);
        const float largest = float(lv2LargestStoredNumber(code));
        const float stored = std::isfinite(value) ? std::clamp(std::round(value * 100.0f), 0.0f, largest) : 0.0f;
        port = stored;
        return stored / 100.0f == value;
    }
    case Lv2PortKind::Toggle:
        // Any value but 0 plays as on.
        port = value != 0.0f ? 1.0f : 0.0f;
        return value == 0.0f || value == 1.0f;
    case Lv2PortKind::Continuous:
        break;
    }
    port = value;
    return true;
}
