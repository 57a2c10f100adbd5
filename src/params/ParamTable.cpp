#include "ParamTable.h"

#include <cstring>

const ParamInfo kParamTable[kNumParams] = {
    {"Osc1Semi", "Osc 1 Semi", 0.5f, DisplayKind::Semitones, -1},              // 0
    {"Osc2Semi", "Osc 2 Semi", 0.5f, DisplayKind::Semitones, -1},              // 1
    {"Osc1Fine", "Osc 1 Fine", 0.5f, DisplayKind::Cents, -1},                  // 2
    {"Osc2Fine", "Osc 2 Fine", 0.5f, DisplayKind::Cents, -1},                  // 3
    {"Osc1Vol", "Osc 1 Vol", 0.5f, DisplayKind::Percent, -1},                  // 4
    {"Osc2Vol", "Osc 2 Vol", 0.5f, DisplayKind::Percent, -1},                  // 5
    {"Osc1Det", "Osc 1 Det", 0.0f, DisplayKind::Percent, -1},                  // 6
    {"Osc2Det", "Osc 2 Det", 0.0f, DisplayKind::Percent, -1},                  // 7
    {"Osc1PW", "Osc 1 PW", 0.5f, DisplayKind::Percent, -1},                    // 8
    {"Osc2PW", "Osc 2 PW", 0.5f, DisplayKind::Percent, -1},                    // 9
    {"Osc1Sub", "Osc 1 Sub", 0.5f, DisplayKind::SubLevel, -1},                 // 10
    {"Osc2Sub", "Osc 2 Sub", 0.5f, DisplayKind::SubLevel, -1},                 // 11
    {"FltCut", "Flt 1 Cut", 1.0f, DisplayKind::Cutoff, 14},                    // 12
    {"FltRes", "Flt 1 Res", 0.0f, DisplayKind::Percent, -1},                   // 13
    {"FltKey", "Flt 1 Key", 0.0f, DisplayKind::Percent, -1},                   // 14
    {"Env1Att", "Env 1 Att", 0.0f, DisplayKind::EnvelopeTime, -1},             // 15
    {"Env2Att", "Env 2 Att", 0.0f, DisplayKind::EnvelopeTime, -1},             // 16
    {"Env3Att", "Env 3 Att", 0.0f, DisplayKind::EnvelopeTime, -1},             // 17
    {"Env1Dec", "Env 1 Dec", 0.0f, DisplayKind::EnvelopeTime, -1},             // 18
    {"Env2Dec", "Env 2 Dec", 0.0f, DisplayKind::EnvelopeTime, -1},             // 19
    {"Env3Dec", "Env 3 Dec", 0.0f, DisplayKind::EnvelopeTime, -1},             // 20
    {"Env1Sus", "Env 1 Sus", 1.0f, DisplayKind::Percent, -1},                  // 21
    {"Env2Sus", "Env 2 Sus", 1.0f, DisplayKind::Percent, -1},                  // 22
    {"Env3Sus", "Env 3 Sus", 1.0f, DisplayKind::Percent, -1},                  // 23
    {"Env1Rel", "Env 1 Rel", kReleaseDefault, DisplayKind::EnvelopeTime, -1},  // 24
    {"Env2Rel", "Env 2 Rel", kReleaseDefault, DisplayKind::EnvelopeTime, -1},  // 25
    {"Env3Rel", "Env 3 Rel", kReleaseDefault, DisplayKind::EnvelopeTime, -1},  // 26
    {"Env1Vel", "Env 1 Vel", 0.5f, DisplayKind::Percent, -1},                  // 27
    {"Env2Vel", "Env 2 Vel", 0.5f, DisplayKind::Percent, -1},                  // 28
    {"Env3Vel", "Env 3 Vel", 0.0f, DisplayKind::Percent, -1},                  // 29
    {"Lfo1Rate", "LFO 1 Rate", 0.0f, DisplayKind::LfoRate, 105},               // 30
    {"Lfo2Rate", "LFO 2 Rate", 0.0f, DisplayKind::LfoRate, 106},               // 31
    {"Lfo3Rate", "LFO 3 Rate", 0.0f, DisplayKind::LfoRate, 107},               // 32
    {"Lfo4Rate", "LFO 4 Rate", 0.0f, DisplayKind::LfoRate, 108},               // 33
    {"Lfo1Ofs", "LFO 1 Offs", 0.5f, DisplayKind::BipolarPercent, -1},          // 34
    {"Lfo2Ofs", "LFO 2 Offs", 0.5f, DisplayKind::BipolarPercent, -1},          // 35
    {"Lfo3Ofs", "LFO 3 Offs", 0.5f, DisplayKind::BipolarPercent, -1},          // 36
    {"Lfo4Ofs", "LFO 4 Offs", 0.5f, DisplayKind::BipolarPercent, -1},          // 37
    {"ModAmt1", "Mod 1 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 38
    {"ModAmt2", "Mod 2 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 39
    {"ModAmt3", "Mod 3 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 40
    {"ModAmt4", "Mod 4 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 41
    {"ModAmt5", "Mod 5 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 42
    {"ModAmt6", "Mod 6 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 43
    {"ModAmt7", "Mod 7 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 44
    {"ModAmt8", "Mod 8 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 45
    {"ModAmt9", "Mod 9 Amt", 0.5f, DisplayKind::BipolarPercent, -1},           // 46
    {"ModAmt10", "Mod 10 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 47
    {"ModAmt11", "Mod 11 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 48
    {"ModAmt12", "Mod 12 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 49
    {"Poly", "Polyphony", 0.5f, DisplayKind::Polyphony, -1},                   // 50
    {"GldAmt", "Glide Time", 0.0f, DisplayKind::GlideTime, -1},                // 51
    {"PBRange", "PBend Up", kBendRangeDefault, DisplayKind::BendRange, -1},    // 52
    {"Tuning", "Tuning", 0.5f, DisplayKind::Percent, -1},                      // 53
    {"DlyMix", "Dly Mix", 0.0f, DisplayKind::Percent, -1},                     // 54
    {"Unused01", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 55
    {"RvbMix", "Rvb Mix", 0.0f, DisplayKind::Percent, -1},                     // 56
    {"DlyTime", "Dly Time", 0.2f, DisplayKind::DelayTime, 113},                // 57
    {"DlyFBack", "Dly FBack", 0.5f, DisplayKind::Percent, -1},                 // 58
    {"DlyCut", "Dly Cutoff", 0.0f, DisplayKind::DelayCutoff, -1},              // 59
    {"DlyWidth", "Dly Width", 0.5f, DisplayKind::BipolarPercent, -1},          // 60
    {"Unused02", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 61
    {"Unused03", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 62
    {"Unused04", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 63
    {"Unused05", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 64
    {"RvbPrDly", "Rvb Predelay", 0.0f, DisplayKind::Predelay, 116},            // 65
    {"RvbSize", "Rvb Size", 0.5f, DisplayKind::Percent, -1},                   // 66
    {"RvbDamp", "Rvb Damp", 0.5f, DisplayKind::Percent, -1},                   // 67
    {"RvbWidth", "Rvb Wisdth", 1.0f, DisplayKind::Percent, -1},                // 68
    {"Volume", "Volume", 0.5f, DisplayKind::Percent, -1},                      // 69
    {"Osc1Wave", nullptr, 0.02f, DisplayKind::OscWave, -1},                    // 70
    {"Osc2Wave", nullptr, 0.0f, DisplayKind::OscWave, -1},                     // 71
    {"FltType", nullptr, 0.02f, DisplayKind::FilterType, -1},                  // 72
    {"Lfo1Wave", nullptr, 0.0f, DisplayKind::LfoWave, -1},                     // 73
    {"Lfo2Wave", nullptr, 0.0f, DisplayKind::LfoWave, -1},                     // 74
    {"Lfo3Wave", nullptr, 0.0f, DisplayKind::LfoWave, -1},                     // 75
    {"Lfo4Wave", nullptr, 0.0f, DisplayKind::LfoWave, -1},                     // 76
    {"ModSrc1", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 77
    {"ModSrc2", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 78
    {"ModSrc3", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 79
    {"ModSrc4", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 80
    {"ModSrc5", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 81
    {"ModSrc6", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 82
    {"ModSrc7", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 83
    {"ModSrc8", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 84
    {"ModSrc9", nullptr, 0.0f, DisplayKind::ModSource, -1},                    // 85
    {"ModSrc10", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 86
    {"ModSrc11", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 87
    {"ModSrc12", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 88
    {"ModDst1", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 89
    {"ModDst2", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 90
    {"ModDst3", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 91
    {"ModDst4", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 92
    {"ModDst5", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 93
    {"ModDst6", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 94
    {"ModDst7", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 95
    {"ModDst8", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 96
    {"ModDst9", nullptr, 0.0f, DisplayKind::ModTarget, -1},                    // 97
    {"ModDst10", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 98
    {"ModDst11", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 99
    {"ModDst12", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 100
    {"Unused06", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 101
    {"Unused07", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 102
    {"Sub1FlPW", nullptr, 1.0f, DisplayKind::Switch, -1},                      // 103
    {"Sub2FlPW", nullptr, 1.0f, DisplayKind::Switch, -1},                      // 104
    {"Lfo1Sync", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 105
    {"Lfo2Sync", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 106
    {"Lfo3Sync", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 107
    {"Lfo4Sync", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 108
    {"Lfo1Free", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 109
    {"Lfo2Free", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 110
    {"Lfo3Free", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 111
    {"Lfo4Free", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 112
    {"DlySync", "Dly Sync", 0.0f, DisplayKind::Switch, -1},                    // 113
    {"DlyLP", "Dly LP", 0.0f, DisplayKind::Switch, -1},                        // 114
    {"Unused08", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 115
    {"RvbSync", "Rvb Sync", 0.0f, DisplayKind::Switch, -1},                    // 116
    {"Unused09", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 117
    {"Unused10", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 118
    {"Unused11", nullptr, 0.0f, DisplayKind::Percent, -1},                     // 119
    {"Sub1FlVl", nullptr, 1.0f, DisplayKind::Switch, -1},                      // 120
    {"Sub2FlVl", nullptr, 1.0f, DisplayKind::Switch, -1},                      // 121
    {"Unused12", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 122
    {"Unused13", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 123
    {"Unused14", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 124
    {"Unused15", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 125
    {"Unused16", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 126
    {"Unused17", nullptr, 0.0f, DisplayKind::Switch, -1},                      // 127
    {"Osc1Phse", "Osc 1 Phase", 0.0f, DisplayKind::OscPhase, -1},              // 128
    {"Osc2Phse", "Osc 2 Phase", 0.0f, DisplayKind::OscPhase, -1},              // 129
    {"Sub1Semi", "Sub 1 Semi", 0.5f, DisplayKind::Semitones, -1},              // 130
    {"Sub2Semi", "Sub 2 Semi", 0.5f, DisplayKind::Semitones, -1},              // 131
    {"Sub1Fine", "Sub 1 Fine", 0.5f, DisplayKind::Cents, -1},                  // 132
    {"Sub2Fine", "Sub 2 Fine", 0.5f, DisplayKind::Cents, -1},                  // 133
    {"Flt2Cut", "Flt 2 Cut", 1.0f, DisplayKind::Cutoff, 136},                  // 134
    {"Flt2Res", "Flt 2 Res", 0.0f, DisplayKind::Percent, -1},                  // 135
    {"Flt2Key", "Flt 2 Key", 0.0f, DisplayKind::Percent, -1},                  // 136
    {"Lfo1Phse", "LFO 1 Phase", 0.0f, DisplayKind::Percent, -1},               // 137
    {"Lfo2Phse", "LFO 2 Phase", 0.0f, DisplayKind::Percent, -1},               // 138
    {"Lfo3Phse", "LFO 3 Phase", 0.0f, DisplayKind::Percent, -1},               // 139
    {"Lfo4Phse", "LFO 4 Phase", 0.0f, DisplayKind::Percent, -1},               // 140
    {"OscRoute", "Osc Route", 0.0f, DisplayKind::RoutingMode, -1},             // 141
    {"ModAmt13", "Mod 13 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 142
    {"ModAmt14", "Mod 14 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 143
    {"ModAmt15", "Mod 15 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 144
    {"ModAmt16", "Mod 16 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 145
    {"ModAmt17", "Mod 17 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 146
    {"ModAmt18", "Mod 18 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 147
    {"ModAmt19", "Mod 19 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 148
    {"ModAmt20", "Mod 20 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 149
    {"ModAmt21", "Mod 21 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 150
    {"ModAmt22", "Mod 22 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 151
    {"ModAmt23", "Mod 23 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 152
    {"ModAmt24", "Mod 24 Amt", 0.5f, DisplayKind::BipolarPercent, -1},         // 153
    {"Flt2Type", nullptr, 0.0f, DisplayKind::FilterType, -1},                  // 154
    {"Sub1AltW", nullptr, 0.0f, DisplayKind::SubAlternative, -1},              // 155
    {"Sub2AltW", nullptr, 0.0f, DisplayKind::SubAlternative, -1},              // 156
    {"ModSrc13", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 157
    {"ModSrc14", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 158
    {"ModSrc15", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 159
    {"ModSrc16", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 160
    {"ModSrc17", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 161
    {"ModSrc18", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 162
    {"ModSrc19", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 163
    {"ModSrc20", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 164
    {"ModSrc21", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 165
    {"ModSrc22", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 166
    {"ModSrc23", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 167
    {"ModSrc24", nullptr, 0.0f, DisplayKind::ModSource, -1},                   // 168
    {"ModDst13", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 169
    {"ModDst14", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 170
    {"ModDst15", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 171
    {"ModDst16", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 172
    {"ModDst17", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 173
    {"ModDst18", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 174
    {"ModDst19", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 175
    {"ModDst20", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 176
    {"ModDst21", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 177
    {"ModDst22", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 178
    {"ModDst23", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 179
    {"ModDst24", nullptr, 0.0f, DisplayKind::ModTarget, -1},                   // 180
    {"Osc1DtSp", "Osc 1 Spread", 0.0f, DisplayKind::Percent, -1},              // 181
    {"Osc2DtSp", "Osc 2 Spread", 0.0f, DisplayKind::Percent, -1},              // 182
    {"Osc1DtMx", "Osc 1 Mix", 0.5f, DisplayKind::Percent, -1},                 // 183
    {"Osc2DtMx", "Osc 2 Mix", 0.5f, DisplayKind::Percent, -1},                 // 184
    {"Osc1Pan", "Osc 1 Pan", 0.5f, DisplayKind::Pan, -1},                      // 185
    {"Osc2Pan", "Osc 2 Pan", 0.5f, DisplayKind::Pan, -1},                      // 186
    {"Osc1DtVo", "Osc 1 Voices", 1.0f, DisplayKind::UnisonVoices, -1},         // 187
    {"Osc2DtVo", "Osc 2 Voices", 1.0f, DisplayKind::UnisonVoices, -1},         // 188
    {"Env4Att", "Env 4 Att", 0.0f, DisplayKind::EnvelopeTime, -1},             // 189
    {"Env4Dec", "Env 4 Dec", 0.0f, DisplayKind::EnvelopeTime, -1},             // 190
    {"Env4Sus", "Env 4 Sus", 1.0f, DisplayKind::Percent, -1},                  // 191
    {"Env4Rel", "Env 4 Rel", kReleaseDefault, DisplayKind::EnvelopeTime, -1},  // 192
    {"Env4Vel", "Env 4 Vel", 0.0f, DisplayKind::Percent, -1},                  // 193
    {"KeySplit", "Key Split", 0.0f, DisplayKind::KeySplit, -1},                // 194
    {"PBRange2", "PBend Down", kBendRangeDefault, DisplayKind::BendRange, -1}, // 195
    {"RvbDens", "Rvb Density", 0.5f, DisplayKind::Percent, -1},                // 196
    {"DlyAmp1", nullptr, 0.0f, DisplayKind::Switch, -1},                       // 197
    {"RvbAmp1", nullptr, 0.0f, DisplayKind::Switch, -1},                       // 198
};

int findParamByShortName(const char* shortName)
{
    for (int i = 0; i < kNumParams; ++i)
        if (std::strcmp(kParamTable[i].shortName, shortName) == 0)
            return i;
    return -1;
}
