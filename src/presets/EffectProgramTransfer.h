// Puts programs read from preset or bank files into a running plug-in through the published
// binary interface only (parameters and program names), as a host-side tool must.
#pragma once

#include "params/ProgramStore.h"
#include "vst/vstabi.h"

#include <cstring>

// Writes one program's values and name into the effect's current program.
inline void sendProgramToEffect(AEffect* effect, const ProgramRecord& program)
{
    for (int i = 0; i < kNumParams && i < effect->numParams; ++i)
        effect->setParameter(effect, i, program.get(i));
    char name[kProgramNameSize];
    std::memcpy(name, program.name, sizeof name);
    name[kProgramNameSize - 1] = 0;
    effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.0f);
}

// Writes programs 0 to 99 into the effect, then selects program 0.
inline void sendBankToEffect(AEffect* effect, const ProgramRecord* bank)
{
    for (int p = 0; p < kNumPrograms && p < effect->numPrograms; ++p) {
        effect->dispatcher(effect, effSetProgram, 0, p, nullptr, 0.0f);
        sendProgramToEffect(effect, bank[p]);
    }
    effect->dispatcher(effect, effSetProgram, 0, 0, nullptr, 0.0f);
}
