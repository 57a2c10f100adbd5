#include "params/DisplayText.h"
#include "params/ProgramStore.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <limits>
#include <memory>
#include <regex>
#include <string>

namespace {

constexpr char kUntouched[] = "untouched";

// The host's text of one parameter; linked is the value of its linked parameter.
std::string shown(int index, float value, float linked = 0.0f)
{
    char text[32];
    std::memcpy(text, kUntouched, sizeof kUntouched);
    formatParamDisplay(index, value, linked, text);
    return text;
}

std::string editorShown(int index, float value, float linked = 0.0f)
{
    char text[32];
    std::memcpy(text, kUntouched, sizeof kUntouched);
    formatEditorDisplay(index, value, linked, text);
    return text;
}

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(DisplayText, PitchOffsets)
{
    EXPECT_EQ(shown(Param::Osc1Semi, 0.5f), "0 st");
    EXPECT_EQ(shown(Param::Osc1Semi, 0.0f), "-24 st");
    EXPECT_EQ(shown(Param::Osc1Semi, 1.0f), "+24 st");
    EXPECT_EQ(shown(Param::Osc1Semi, 0.49f), "-1 st");
    EXPECT_EQ(shown(Param::Osc1Fine, 0.75f), "+50 ct");
    EXPECT_EQ(shown(Param::Sub1Fine, 0.0f), "-100 ct");
    EXPECT_EQ(shown(Param::PBRange, kBendRangeDefault), "2 st");
    EXPECT_EQ(shown(Param::PBRange2, 1.0f), "12 st");
}

TEST(DisplayText, LevelsAndBipolarAmounts)
{
    EXPECT_EQ(shown(Param::Osc1Vol, 0.5f), "50.0");
    EXPECT_EQ(shown(Param::Tuning, 0.5f), "50.0"); // the host sees the tuning as a percentage
    EXPECT_EQ(shown(Param::Osc1Sub, 0.5f), "0.0");
    EXPECT_EQ(shown(Param::Osc1Sub, 0.0f), "100.0");
    EXPECT_EQ(shown(Param::ModAmt1, 0.5f), "0.0");
    EXPECT_EQ(shown(Param::ModAmt24, 1.0f), "+100.0");
    EXPECT_EQ(shown(Param::DlyWidth, 0.25f), "-50.0");
    EXPECT_EQ(shown(Param::Osc2Phse, 1.0f), "Random");
    EXPECT_EQ(shown(Param::Osc1Pan, 0.5f), "C");
    EXPECT_EQ(shown(Param::Osc1Pan, 0.0f), "L 100");
    EXPECT_EQ(shown(Param::Osc2Pan, 0.75f), "R 50");
}

TEST(DisplayText, CutoffFollowsKeyTrackingOfTheSameFilter)
{
    EXPECT_EQ(shown(Param::FltCut, 1.0f), "21000 Hz");
    EXPECT_EQ(shown(Param::FltCut, 0.0f), "20 Hz");
    EXPECT_EQ(shown(Param::FltCut, 1.0f, 0.3f), "100.0");
    EXPECT_EQ(shown(Param::DlyCut, 1.0f), "20000 Hz");

    // Through a program: filter 2's key amount must not change filter 1's text.
    auto program = std::make_unique<ProgramRecord>();
    program->initialize();
    char text[kDisplayTextSize];
    program->set(Param::Flt2Key, 0.5f);
    ASSERT_TRUE(formatParamDisplay(Param::FltCut, *program, text));
    EXPECT_STREQ(text, "21000 Hz");
    ASSERT_TRUE(formatParamDisplay(Param::Flt2Cut, *program, text));
    EXPECT_STREQ(text, "100.0");
}

// Hosts in much of Europe run with a comma as decimal separator; the texts keep the point.
TEST(DisplayText, DecimalPointUnderACommaLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    bool comma = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252"})
        if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',') {
            comma = true;
            break;
        }
    if (!comma) {
        std::setlocale(LC_ALL, before.c_str());
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
    const std::string level = shown(Param::Osc1Vol, 0.485f), time = shown(Param::Env2Dec, 0.5f);
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(level, "48.5");
    EXPECT_EQ(time, "2.50 s");
}

TEST(DisplayText, EnvelopeTimes)
{
    EXPECT_EQ(shown(Param::Env1Rel, kReleaseDefault), "10 ms");
    EXPECT_EQ(shown(Param::Env1Att, 0.0f), "1 ms");
    EXPECT_EQ(shown(Param::Env4Dec, 1.0f), "20.0 s");
    EXPECT_EQ(shown(Param::Env2Dec, 0.5f), "2.50 s");
}

TEST(DisplayText, RatesAndTimesFollowTheirSyncSwitch)
{
    EXPECT_EQ(shown(Param::Lfo1Rate, 0.0f), "0.01 Hz");
    EXPECT_EQ(shown(Param::Lfo1Rate, 1.0f), "50.00 Hz");
    EXPECT_EQ(shown(Param::Lfo1Rate, 0.0f, 1.0f), "8/1");
    EXPECT_EQ(shown(Param::Lfo2Rate, 1.0f, 1.0f), "1/32");
    EXPECT_EQ(shown(Param::Lfo4Rate, 0.95f, 1.0f), "1/32D");
    EXPECT_EQ(shown(Param::Lfo3Rate, 0.95f, 0.5f), "1/32D"); // any value but 0 is on

    EXPECT_EQ(shown(Param::DlyTime, 0.2f), "250 ms");
    EXPECT_EQ(shown(Param::DlyTime, 1.0f), "6000 ms");
    EXPECT_EQ(shown(Param::DlyTime, 1.0f, 1.0f), "1/1");
    EXPECT_EQ(shown(Param::RvbPrDly, 1.0f), "1000 ms");
    EXPECT_EQ(shown(Param::RvbPrDly, 1.0f, 1.0f), "1/4T");
    EXPECT_EQ(shown(Param::RvbPrDly, 0.15f, 1.0f), "1/32");

    auto program = std::make_unique<ProgramRecord>();
    program->initialize();
    program->set(Param::Lfo3Sync, 1.0f);
    char text[kDisplayTextSize];
    ASSERT_TRUE(formatParamDisplay(Param::Lfo3Rate, *program, text));
    EXPECT_STREQ(text, "8/1");
    ASSERT_TRUE(formatParamDisplay(Param::Lfo2Rate, *program, text));
    EXPECT_STREQ(text, "0.01 Hz");
}

TEST(DisplayText, CountsModesAndNotes)
{
    EXPECT_EQ(shown(Param::Poly, 0.5f), "16");
    EXPECT_EQ(shown(Param::Poly, 1.0f), "32");
    EXPECT_EQ(shown(Param::GldAmt, 0.25f), "500 ms");
    EXPECT_EQ(shown(Param::OscRoute, 0.2f), "Mode 2");
    EXPECT_EQ(shown(Param::OscRoute, 1.0f), "Mode 5");
    EXPECT_EQ(shown(Param::Osc1DtVo, 0.0f), "1");
    EXPECT_EQ(shown(Param::Osc1DtVo, 0.1f), "2");
    EXPECT_EQ(shown(Param::KeySplit, 0.0f), "None");
    EXPECT_EQ(shown(Param::KeySplit, 60.5f / 127.0f), "C3 60");
    EXPECT_EQ(shown(Param::KeySplit, 1.5f / 127.0f), "C#-2 1");
    EXPECT_EQ(shown(Param::KeySplit, 1.0f), "G8 127");
}

TEST(DisplayText, SwitchesAndCodedValues)
{
    EXPECT_EQ(shown(Param::DlySync, 0.0f), "false");
    EXPECT_EQ(shown(Param::DlySync, 1.0f), "true");
    EXPECT_EQ(shown(Param::RvbAmp1, 0.3f), "true");
    EXPECT_EQ(shown(Param::Osc1Wave, 0.09f), "Sine");
    EXPECT_EQ(shown(Param::Osc1Wave, 0.01f), kUntouched);
    EXPECT_EQ(shown(Param::Osc1Wave, 0.05f), kUntouched);
    EXPECT_EQ(shown(Param::Osc1Wave, 0.035f), "Off");
    EXPECT_EQ(shown(Param::FltType, 0.02f), "LP24");
    EXPECT_EQ(shown(Param::Flt2Type, 0.04f), kUntouched);
    EXPECT_EQ(shown(Param::Sub1AltW, 0.03f), "Tri/Sin");
    EXPECT_EQ(shown(Param::Sub2AltW, 0.01f), "Off");
    EXPECT_EQ(shown(Param::ModSrc1, 0.035f), "Src 1");
    EXPECT_EQ(shown(Param::ModSrc24, 0.09f), "Src 6");
    EXPECT_EQ(shown(Param::ModDst5, 0.37f), "Dst 6");
}

TEST(DisplayText, IndicesOutsideTheTableLeaveTheTextAlone)
{
    EXPECT_EQ(shown(kNumParams, 0.5f), kUntouched);
    EXPECT_EQ(shown(-1, 0.5f), kUntouched);
    EXPECT_EQ(editorShown(1000, 0.5f), kUntouched);
}

TEST(DisplayText, EditorShowsTuningInHertzAndSyncOnlyAtOne)
{
    EXPECT_EQ(editorShown(Param::Tuning, 0.5f), "440.0 Hz");
    EXPECT_EQ(editorShown(Param::Tuning, 1.0f), "490.0 Hz");
    EXPECT_EQ(editorShown(Param::DlyTime, 1.0f, 1.0f), "1/1");
    EXPECT_EQ(editorShown(Param::DlyTime, 1.0f, 0.5f), "6000 ms");
    EXPECT_EQ(editorShown(Param::RvbPrDly, 1.0f, 1.0f), "1/4T");
    EXPECT_EQ(editorShown(Param::RvbPrDly, 1.0f, 0.99f), "1000 ms");
    EXPECT_EQ(editorShown(Param::Lfo1Rate, 0.0f, 0.5f), "8/1");
}

TEST(DisplayText, EveryParameterFitsTheLimitAtAnyStoredValue)
{
    const float values[] = {0.0f,
                            0.5f,
                            1.0f,
                            -5.0f,
                            1e30f,
                            -1e30f,
                            kNaN,
                            kInf,
                            -kInf,
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min()};
    const float linkedValues[] = {0.0f, 1.0f, kNaN};
    for (int index = 0; index < kNumParams; ++index) {
        for (float v : values) {
            for (float linked : linkedValues) {
                for (bool editor : {false, true}) {
                    char text[32];
                    std::memset(text, '#', sizeof text);
                    const bool written = editor ? formatEditorDisplay(index, v, linked, text)
                                                : formatParamDisplay(index, v, linked, text);
                    for (std::size_t i = kDisplayTextSize; i < sizeof text; ++i)
                        ASSERT_EQ(text[i], '#') << kParamTable[index].shortName << " at " << v;
                    if (written) {
                        ASSERT_NE(std::memchr(text, '\0', kDisplayTextSize), nullptr)
                            << kParamTable[index].shortName << " at " << v;
                        if (v >= 0.0f && v <= 1.0f) {
                            EXPECT_GT(std::strlen(text), 0u) << kParamTable[index].shortName;
                        }
                    } else {
                        EXPECT_EQ(text[0], '#') << kParamTable[index].shortName << " at " << v;
                    }
                }
            }
        }
    }
}

TEST(DisplayText, NominalTextsAreNeverCut)
{
    // A text cut at the limit loses its unit or its last digit; every value a user can set must
    // show whole. Checked on a grid over the nominal range, sync or key tracking off and on.
    auto pattern = [](DisplayKind kind, float linked) -> const char* {
        switch (kind) {
        case DisplayKind::Semitones:
            return "([+]?[1-9][0-9]*|0|-[1-9][0-9]*) st";
        case DisplayKind::Cents:
            return "([+]?[1-9][0-9]*|0|-[1-9][0-9]*) ct";
        case DisplayKind::BendRange:
            return "[0-9]+ st";
        case DisplayKind::Percent:
        case DisplayKind::SubLevel:
            return "[0-9]+\\.[0-9]";
        case DisplayKind::BipolarPercent:
            return "[+-]?[0-9]+\\.[0-9]";
        case DisplayKind::Cutoff:
            return linked != 0.0f ? "[0-9]+\\.[0-9]" : "[0-9]+ Hz";
        case DisplayKind::EnvelopeTime:
            return "[0-9]+ ms|[0-9]\\.[0-9]{2} s|[0-9]+\\.[0-9] s";
        case DisplayKind::LfoRate:
            return linked != 0.0f ? "[0-9]+/[0-9]+[TD]?" : "[0-9]+\\.[0-9]{2} Hz";
        case DisplayKind::DelayTime:
        case DisplayKind::Predelay:
            return linked != 0.0f ? "1/[0-9]+[TD]?" : "[0-9]+ ms";
        case DisplayKind::GlideTime:
            return "[0-9]+ ms";
        case DisplayKind::DelayCutoff:
            return "[0-9]+ Hz";
        case DisplayKind::Polyphony:
            return "[1-9][0-9]?";
        case DisplayKind::OscPhase:
            return "[0-9]+\\.[0-9]|Random";
        case DisplayKind::RoutingMode:
            return "Mode [1-5]";
        case DisplayKind::Pan:
            return "C|[LR] [0-9]+";
        case DisplayKind::UnisonVoices:
            return "[1-6]";
        case DisplayKind::KeySplit:
            return "None|[A-G]#?-?[0-9] [0-9]+";
        case DisplayKind::Switch:
            return "false|true";
        default:
            return "[A-Za-z0-9/ ]+";
        }
    };
    for (int index = 0; index < kNumParams; ++index) {
        for (float linked : {0.0f, 1.0f}) {
            const std::regex expected(pattern(kParamTable[index].kind, linked));
            for (int step = 0; step <= 200; ++step) {
                const float v = float(step) / 200.0f;
                char text[kDisplayTextSize];
                if (!formatParamDisplay(index, v, linked, text))
                    continue;
                EXPECT_TRUE(std::regex_match(text, expected))
                    << kParamTable[index].shortName << " at " << v << ": " << text;
            }
        }
    }
}

TEST(DisplayText, WildValuesGiveBoundedTexts)
{
    // Counts and notes show what the engine plays: clamped, never an overflowed integer.
    EXPECT_EQ(shown(Param::Poly, 1e30f), "32");
    EXPECT_EQ(shown(Param::Poly, kNaN), "1");
    EXPECT_EQ(shown(Param::KeySplit, -5.0f), "None");
    EXPECT_EQ(shown(Param::KeySplit, kNaN), "None");
    EXPECT_EQ(shown(Param::FltCut, 1e30f), "inf Hz");
    EXPECT_EQ(shown(Param::Osc1Vol, 1e30f).size(), 8u);
    EXPECT_EQ(shown(Param::Osc1Wave, kNaN), "Off");
    EXPECT_EQ(shown(Param::DlySync, kNaN), "true");
    EXPECT_EQ(shown(Param::DlyTime, kNaN, 1.0f), "1/1");
}
