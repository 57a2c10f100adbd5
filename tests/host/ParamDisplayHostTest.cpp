// Parameter display texts as a host sees them through effGetParamDisplay.
#include "LoadedPlugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

constexpr int kParams = 199;
constexpr char kFill = '~';

struct ShownText {
    std::string text;
    bool untouched; // the buffer still holds what the host put there
    bool overrun;   // something was written past the 9 bytes the interface allows
};

ShownText display(LoadedPlugin& p, int index)
{
    char buffer[64];
    std::memset(buffer, kFill, sizeof buffer);
    p.dispatch(effGetParamDisplay, index, 0, buffer);
    ShownText shown{};
    shown.untouched = true;
    for (char c : buffer)
        shown.untouched = shown.untouched && c == kFill;
    for (std::size_t i = 9; i < sizeof buffer; ++i)
        shown.overrun = shown.overrun || buffer[i] != kFill;
    if (!shown.untouched && std::memchr(buffer, '\0', 9))
        shown.text = buffer;
    return shown;
}

std::string displayAt(LoadedPlugin& p, int index, float value)
{
    p.effect()->setParameter(p.effect(), index, value);
    return display(p, index).text;
}

} // namespace

TEST(HostParamDisplay, EveryParameterAtNominalAndWildValuesFitsNineBytes)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    ASSERT_NE(fx, nullptr);
    const float values[] = {0.0f,
                            0.5f,
                            1.0f,
                            0.25f,
                            0.01f,
                            -5.0f,
                            1e30f,
                            -1e30f,
                            std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity()};
    for (float linked : {0.0f, 1.0f}) {
        for (int sync : {14, 105, 106, 107, 108, 113, 116, 136})
            fx->setParameter(fx, sync, linked);
        for (float v : values) {
            for (int index = 0; index < kParams; ++index) {
                fx->setParameter(fx, index, v);
                const ShownText shown = display(p, index);
                ASSERT_FALSE(shown.overrun) << "parameter " << index << " at " << v;
                if (!shown.untouched) {
                    EXPECT_LE(shown.text.size(), 8u) << "parameter " << index << " at " << v;
                    if (v >= 0.0f && v <= 1.0f) {
                        EXPECT_FALSE(shown.text.empty()) << "parameter " << index << " at " << v;
                    }
                }
            }
        }
    }
}

TEST(HostParamDisplay, DefaultProgramReadsInUnits)
{
    LoadedPlugin p;
    EXPECT_EQ(display(p, 0).text, "0 st");      // Osc1Semi
    EXPECT_EQ(display(p, 12).text, "21000 Hz"); // FltCut
    EXPECT_EQ(display(p, 24).text, "10 ms");    // Env1Rel
    EXPECT_EQ(display(p, 30).text, "0.01 Hz");  // Lfo1Rate
    EXPECT_EQ(display(p, 50).text, "16");       // Poly
    EXPECT_EQ(display(p, 52).text, "2 st");     // PBRange
    EXPECT_EQ(display(p, 57).text, "250 ms");   // DlyTime
    EXPECT_EQ(display(p, 70).text, "Sawtooth"); // Osc1Wave
    EXPECT_EQ(display(p, 72).text, "LP24");     // FltType
    EXPECT_EQ(display(p, 77).text, "Src 1");    // ModSrc1
    EXPECT_EQ(display(p, 103).text, "true");    // Sub1FlPW
    EXPECT_EQ(display(p, 105).text, "false");   // Lfo1Sync
    EXPECT_EQ(display(p, 141).text, "Mode 1");  // OscRoute
    EXPECT_EQ(display(p, 185).text, "C");       // Osc1Pan
    EXPECT_EQ(display(p, 187).text, "6");       // Osc1DtVo
    EXPECT_EQ(display(p, 194).text, "None");    // KeySplit
}

TEST(HostParamDisplay, LinkedSwitchesChangeTheText)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    EXPECT_EQ(displayAt(p, 30, 1.0f), "50.00 Hz");
    fx->setParameter(fx, 105, 1.0f); // Lfo1Sync
    EXPECT_EQ(display(p, 30).text, "1/32");
    EXPECT_EQ(displayAt(p, 30, 0.95f), "1/32D");
    EXPECT_EQ(displayAt(p, 31, 0.95f), "42.87 Hz"); // LFO 2 keeps its own switch

    fx->setParameter(fx, 113, 1.0f); // DlySync
    EXPECT_EQ(displayAt(p, 57, 1.0f), "1/1");
    fx->setParameter(fx, 116, 1.0f); // RvbSync
    EXPECT_EQ(displayAt(p, 65, 0.0f), "1/32T");

    fx->setParameter(fx, 14, 0.3f); // FltKey
    EXPECT_EQ(displayAt(p, 12, 1.0f), "100.0");
    EXPECT_EQ(displayAt(p, 134, 1.0f), "21000 Hz"); // Flt2Cut follows Flt2Key only
}

TEST(HostParamDisplay, CodedValuesWithoutNameAndUnknownIndicesLeaveTheBuffer)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    fx->setParameter(fx, 70, 0.01f); // Osc1Wave on a separator number
    EXPECT_TRUE(display(p, 70).untouched);
    fx->setParameter(fx, 72, 0.04f); // FltType on a separator number
    EXPECT_TRUE(display(p, 72).untouched);
    EXPECT_TRUE(display(p, 199).untouched);
    EXPECT_TRUE(display(p, 1000).untouched);
    EXPECT_TRUE(display(p, -1).untouched);
    EXPECT_EQ(displayAt(p, 70, 0.09f), "Sine");
    EXPECT_EQ(displayAt(p, 93, 0.37f), "Dst 6");
    EXPECT_EQ(displayAt(p, 194, 60.5f / 127.0f), "C3 60");
    EXPECT_EQ(displayAt(p, 194, 1.5f / 127.0f), "C#-2 1");
    EXPECT_EQ(displayAt(p, 15, 1.0f), "20.0 s");
    EXPECT_EQ(displayAt(p, 2, 0.75f), "+50 ct");
    EXPECT_EQ(displayAt(p, 0, 0.49f), "-1 st");
}

TEST(HostParamDisplay, TextsFollowTheCurrentProgram)
{
    LoadedPlugin p;
    AEffect* fx = p.effect();
    fx->setParameter(fx, 4, 0.25f);
    EXPECT_EQ(display(p, 4).text, "25.0");
    p.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(display(p, 4).text, "50.0");
    p.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(display(p, 4).text, "25.0");
}

TEST(HostParamDisplay, ExactlyNineByteBuffersSurviveWildValues)
{
    // A heap buffer of exactly the interface's size: the address sanitizer build reports any
    // byte written past it.
    LoadedPlugin p;
    AEffect* fx = p.effect();
    for (float v : {1e30f, -1e30f, -5.0f, std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest()}) {
        for (int index = 0; index < kParams; ++index) {
            fx->setParameter(fx, index, v);
            auto buffer = std::make_unique<char[]>(9);
            std::memset(buffer.get(), kFill, 9);
            p.dispatch(effGetParamDisplay, index, 0, buffer.get());
            EXPECT_TRUE(buffer[0] == kFill || std::memchr(buffer.get(), '\0', 9)) << "parameter " << index;
        }
    }
}
