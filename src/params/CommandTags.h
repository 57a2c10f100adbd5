// The tags of the editor's controls that are no parameter. A parameter's control carries the
// parameter's index (0..198); every other control carries one of these, and the editor sends the
// ones above None to the plug-in as commands. Numbered sections and matrix slots have consecutive
// tags, so the helpers below find instance n from the first one.
#pragma once

namespace CommandTag {
enum : int {
    None = 1000, // captions, lamps, status texts and the learn switch: they send nothing
    PreviousProgram = 1001,
    NextProgram = 1002,
    ProgramName = 1003,
    ScaleMenu = 1004,
    OptionsMenu = 1005,
    BankMenu = 1006,
    ProgramMenu = 1007,
    ThemeMenu = 1008, // the options menu's submenus
    SettingsMenu = 1009,
    Osc1Menu = 1010,
    Osc2Menu = 1011,
    Osc1Wave = 1012,
    Osc2Wave = 1013,
    TuningMenu = 1014, // the options menu's Tuning submenu
    MpeMenu = 1015,    // the MPE choice in the Settings submenu
    // 1016 and 1017 are free.
    Filter1Menu = 1018,
    Filter2Menu = 1019,
    Filter1Type = 1020,
    Filter2Type = 1021,
    Env1Menu = 1022,
    Env2Menu = 1023,
    Env3Menu = 1024,
    Env4Menu = 1025,
    Lfo1Menu = 1026,
    Lfo2Menu = 1027,
    Lfo3Menu = 1028,
    Lfo4Menu = 1029,
    Lfo1Wave = 1030,
    Lfo2Wave = 1031,
    Lfo3Wave = 1032,
    Lfo4Wave = 1033,
    ModCc1Chooser = 1034,
    ModCc2Chooser = 1035,
    AssignedCc = 1036,
    ModSource1 = 1037, // the matrix slots' source menus, to ModSource24
    ModSource24 = 1060,
    ModTarget1 = 1061, // the matrix slots' target menus, to ModTarget24
    ModTarget24 = 1084,
    // The Compact layout's page buttons on filter 1, filter 2, envelope 1 and envelope 2.
    FilterNextPage = 1085,
    FilterPreviousPage = 1086,
    EnvelopeNextPage = 1087,
    EnvelopePreviousPage = 1088,
};

constexpr int kModSlots = ModSource24 - ModSource1 + 1;
static_assert(ModTarget24 - ModTarget1 + 1 == kModSlots);

// The tag of instance n (from 1) of a numbered kind whose instance 1 has the tag first:
// nth(Lfo1Wave, 3) is Lfo3Wave.
constexpr int nth(int first, int n)
{
    return first + n - 1;
}
// The matrix slot's menus (slot 1 to kModSlots).
constexpr int modSource(int slot)
{
    return nth(ModSource1, slot);
}
constexpr int modTarget(int slot)
{
    return nth(ModTarget1, slot);
}

// Which of count consecutive tags from first tag is: 1 to count, or 0 for none of them.
constexpr int instanceOf(int tag, int first, int count)
{
    return tag >= first && tag < first + count ? tag - first + 1 : 0;
}
} // namespace CommandTag
