#include "params/ParamTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <set>
#include <string>

TEST(ParamTable, ShortNamesAreUniqueAndFitEightCharacters)
{
    std::set<std::string> names;
    for (const auto& p : kParamTable) {
        ASSERT_NE(p.shortName, nullptr);
        EXPECT_LE(std::strlen(p.shortName), 8u) << p.shortName;
        EXPECT_GT(std::strlen(p.shortName), 0u);
        names.insert(p.shortName);
    }
    EXPECT_EQ(names.size(), size_t(kNumParams));
}

TEST(ParamTable, IndexOrderMatchesSavedProjects)
{
    EXPECT_STREQ(kParamTable[0].shortName, "Osc1Semi");
    EXPECT_STREQ(kParamTable[50].shortName, "Poly");
    EXPECT_STREQ(kParamTable[69].shortName, "Volume");
    EXPECT_STREQ(kParamTable[141].shortName, "OscRoute");
    EXPECT_STREQ(kParamTable[180].shortName, "ModDst24");
    EXPECT_STREQ(kParamTable[198].shortName, "RvbAmp1");
    EXPECT_EQ(Param::RvbAmp1, 198);
    EXPECT_EQ(findParamByShortName("FltCut"), 12);
    EXPECT_EQ(findParamByShortName("fltcut"), -1);
}

TEST(ParamTable, DefaultsAreBitExact)
{
    auto bits = [](int i) { return std::bit_cast<uint32_t>(kParamTable[i].defaultValue); };
    EXPECT_EQ(bits(Param::Env1Rel), 0x3D9CF13Du);
    EXPECT_EQ(bits(Param::Env4Rel), 0x3D9CF13Du);
    EXPECT_EQ(bits(Param::PBRange), 0x3E2AAAABu);
    EXPECT_EQ(bits(Param::PBRange2), 0x3E2AAAABu);
    EXPECT_EQ(bits(Param::Osc1Wave), 0x3CA3D70Au);
    EXPECT_EQ(bits(Param::FltType), 0x3CA3D70Au);
    EXPECT_EQ(bits(Param::DlyTime), 0x3E4CCCCDu);
    EXPECT_EQ(kParamTable[Param::Poly].defaultValue, 0.5f);
    EXPECT_EQ(kParamTable[Param::FltCut].defaultValue, 1.0f);
    EXPECT_EQ(kParamTable[Param::Osc2Wave].defaultValue, 0.0f);
    EXPECT_EQ(kParamTable[Param::Osc1DtVo].defaultValue, 1.0f);
    EXPECT_EQ(kParamTable[Param::Sub2FlVl].defaultValue, 1.0f);
    EXPECT_EQ(kParamTable[Param::Env3Vel].defaultValue, 0.0f);
}

TEST(ParamTable, NamesAndKindsFollowTheTable)
{
    EXPECT_STREQ(kParamTable[Param::RvbWidth].longName, "Rvb Wisdth");
    EXPECT_STREQ(kParamTable[Param::RvbPrDly].longName, "Rvb Predelay");
    EXPECT_EQ(kParamTable[Param::Osc1Wave].longName, nullptr);
    int withoutLongName = 0;
    for (const auto& p : kParamTable)
        withoutLongName += p.longName == nullptr;
    EXPECT_EQ(withoutLongName, 89);
    EXPECT_EQ(kParamTable[Param::FltCut].kind, DisplayKind::Cutoff);
    EXPECT_EQ(kParamTable[Param::FltCut].linkedIndex, Param::FltKey);
    EXPECT_EQ(kParamTable[Param::Flt2Cut].linkedIndex, Param::Flt2Key);
    EXPECT_EQ(kParamTable[Param::Lfo3Rate].linkedIndex, Param::Lfo3Sync);
    EXPECT_EQ(kParamTable[Param::DlyTime].linkedIndex, Param::DlySync);
    EXPECT_EQ(kParamTable[Param::RvbPrDly].linkedIndex, Param::RvbSync);
    EXPECT_EQ(kParamTable[Param::ModSrc13].kind, DisplayKind::ModSource);
    EXPECT_EQ(kParamTable[Param::Sub2AltW].kind, DisplayKind::SubAlternative);
    EXPECT_EQ(kParamTable[Param::KeySplit].kind, DisplayKind::KeySplit);
}
