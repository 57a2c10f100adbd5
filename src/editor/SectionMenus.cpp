#include "editor/SectionMenus.h"

#include "params/CodeTables.h"
#include "params/CommandTags.h"
#include "params/SectionParams.h"
#include "params/ProgramStore.h"

SectionMenu::SectionMenu(const CRect& area, CControlListener* controlListener, long controlTag, ProgramStore& store,
                         CBitmap* icon)
    : IconMenu(area, controlListener, controlTag, store, icon)
{
    addEntry("Copy");
    addEntry("Paste");
}

void SectionMenu::prepareToOpen()
{
    for (long entry = 0; entry < getNbEntries(); ++entry)
        checkEntry(entry, false);
}

OscMenu::OscMenu(const CRect& area, CControlListener* controlListener, int oscillator, ProgramStore& store,
                 CBitmap* icon)
    : IconMenu(area, controlListener, CommandTag::nth(CommandTag::Osc1Menu, oscillator), store, icon),
      followPw(kOscillatorParams[oscillator - 1].subFollowsPw),
      followVolume(kOscillatorParams[oscillator - 1].subFollowsVolume),
      altMode(kOscillatorParams[oscillator - 1].subAltWave)
{
    for (const char* entry : {"Copy", "Paste", "-", "Sub: Follow Osc PW", "Sub: Follow Osc Vol", "-",
                              "Sub Alt Mode: Off", "Sub Alt Mode: Sawtooth / Square", "Sub Alt Mode: Triangle / Sine",
                              "Sub Alt Mode: White / Pink", "Sub Alt Mode: Chime / Organ"})
        addEntry(entry);
}

void OscMenu::prepareToOpen()
{
    const ProgramRecord& program = programs.current();
    for (long entry = 0; entry < getNbEntries(); ++entry)
        checkEntry(entry, false);
    checkEntry(3, program.get(followPw) != 0.0f);
    checkEntry(4, program.get(followVolume) != 0.0f);
    // Codes 0 and 2..5 are the entries 6 and 7..10; code 1 marks none.
    const int code = decodeCode(CodeKind::SubAlt, program.get(altMode));
    if (code == 0)
        checkEntry(6, true);
    else if (code >= 2 && code <= 5)
        checkEntry(5 + code, true);
}
