#include "editor/KnobDefaults.h"

#include "params/ParamTable.h"

#include <cstring>
#include <initializer_list>

namespace {

bool named(int tag, std::initializer_list<const char*> prefixes)
{
    if (tag < 0 || tag >= kNumParams)
        return false;
    const char* name = kParamTable[tag].shortName;
    for (const char* prefix : prefixes)
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

bool oneOf(int tag, std::initializer_list<int> tags)
{
    for (int t : tags)
        if (t == tag)
            return true;
    return false;
}

} // namespace

float knobDefaultValue(int tag)
{
    using namespace Param;
    if (oneOf(tag, {Volume,   Osc1Semi, Osc2Semi, Osc1Fine, Osc2Fine, Osc1Sub, Osc2Sub, Osc1Vol,
                    Osc2Vol,  Osc1PW,   Osc2PW,   Osc1DtMx, Osc2DtMx, Osc1Pan, Osc2Pan, Sub1Semi,
                    Sub2Semi, Sub1Fine, Sub2Fine, Env1Vel,  Env2Vel,  Lfo1Ofs, Lfo2Ofs, Lfo3Ofs,
                    Lfo4Ofs,  Tuning,   Poly,     DlyFBack, DlyWidth, RvbSize, RvbDamp, RvbDens}) ||
        named(tag, {"ModAmt"}))
        return 0.5f;
    if (oneOf(tag, {Osc1DtVo, Osc2DtVo, FltCut, Flt2Cut, RvbWidth}) ||
        named(tag, {"Env1Sus", "Env2Sus", "Env3Sus", "Env4Sus"}))
        return 1.0f;
    if (tag == DlyTime)
        return 0.2f;
    if (tag == PBRange || tag == PBRange2)
        return kBendRangeDefault;
    if (named(tag, {"Env1Rel", "Env2Rel", "Env3Rel", "Env4Rel"}))
        return kReleaseDefault;
    return 0.0f;
}
