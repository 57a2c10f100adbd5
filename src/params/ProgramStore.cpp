#include "ProgramStore.h"

#include <cstring>

void ProgramRecord::copyFrom(const ProgramRecord& other)
{
    for (int i = 0; i < kNumParams; ++i)
        set(i, other.get(i));
    std::memcpy(name, other.name, sizeof name);
}

void ProgramRecord::initialize()
{
    for (int i = 0; i < kNumParams; ++i)
        set(i, 0.0f);
    for (int i = 0; i < kNumParams; ++i)
        if (kParamTable[i].defaultValue != 0.0f)
            set(i, kParamTable[i].defaultValue);
    std::memcpy(name, "Default", 8);
}

ProgramStore::ProgramStore()
{
    for (auto& r : records) {
        std::memset(r.name, 0, sizeof r.name);
        r.initialize();
    }
}
