// A Scala tuning from the data folder and an MPE controller's bends, through the built library's
// binary interface as a host plays it.
#include "LoadedPlugin.h"
#include "params/ParamTable.h"
#include "support/HostEventList.h"
#include "support/SignalMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The data folder of this test's home, with the settings and tunings it asks for, removed after.
struct TuningFolder {
    fs::path data = fs::path(std::getenv("XDG_DATA_HOME")) / "Hollowfen Software" / "Morvelline";

    TuningFolder(const std::string& settings, const std::string& scaleName, const std::string& scale)
    {
        fs::create_directories(data / "Tunings");
        std::ofstream(data / "Tunings" / scaleName) << scale;
        std::ofstream(data / "Settings.txt") << settings;
    }
    ~TuningFolder()
    {
        std::error_code error;
        fs::remove(data / "Settings.txt", error);
        fs::remove_all(data / "Tunings", error);
    }
};

double playedHz(LoadedPlugin& p, HostEventList& events)
{
    p.dispatch(effProcessEvents, 0, 0, events.list());
    std::vector<float> left, right, all;
    for (int block = 0; block < 40; ++block) {
        p.render(1024, left, right);
        if (block >= 8)
            all.insert(all.end(), left.begin(), left.end());
    }
    return measure::zeroCrossingHz(all, 44100.0);
}

} // namespace

TEST(HostExpression, NineteenToneScaleKeepsA4AndAMemberChannelBendsOnTop)
{
    std::string scale = "19 equal steps\n19\n";
    for (int step = 1; step <= 19; ++step)
        scale += std::to_string(1200.0 * step / 19.0) + "\n";
    TuningFolder folder("tuningScale=Nineteen.scl\nmpe=0\n", "Nineteen.scl", scale);
    LoadedPlugin p;
    p.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    p.dispatch(effSetBlockSize, 0, 1024);
    p.dispatch(effMainsChanged, 0, 1);
    // A plain sine, nothing after it.
    const std::pair<int, float> sine[] = {{Param::Osc1Wave, 0.09f}, {Param::Osc2Wave, 0.0f}, {Param::FltType, 0.0f},
                                          {Param::Flt2Type, 0.0f},  {Param::DlyMix, 0.0f},   {Param::RvbMix, 0.0f}};
    for (auto [index, value] : sine)
        p.effect()->setParameter(p.effect(), index, value);

    HostEventList a4;
    a4.add(0, 0x90, 69, 100);
    EXPECT_NEAR(playedHz(p, a4), 440.0, 0.05);
    HostEventList next;
    next.add(0, 0x80, 69, 0);
    next.add(0, 0x90, 70, 100);
    EXPECT_NEAR(playedHz(p, next), 440.0 * std::exp2(1.0 / 19.0), 0.05);

    // The controller configures a lower zone of 15 members, bends channel 2 by three semitones of
    // its 48 and plays A4 there: the bend comes on top of the scale's pitch.
    HostEventList zone;
    zone.add(0, 0x80, 70, 0);
    zone.add(0, 0xB0, 101, 0);
    zone.add(0, 0xB0, 100, 6);
    zone.add(0, 0xB0, 6, 15);
    zone.add(0, 0xE1, 0, 68); // 8192 + 512 of 8192: +3 of 48 semitones
    zone.add(0, 0x91, 69, 100);
    EXPECT_NEAR(playedHz(p, zone), 440.0 * std::exp2(3.0 / 12.0), 0.1);
}
