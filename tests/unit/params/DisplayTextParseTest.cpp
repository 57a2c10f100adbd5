#include "params/DisplayText.h"
#include "params/DisplayTextParse.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string textOf(int index, float value)
{
    char text[kDisplayTextSize + 8] = "";
    return formatParamDisplay(index, value, 0.0f, text) ? text : "";
}

} // namespace

// What a host shows, typed back, gives a value that shows the same text, for every parameter.
TEST(DisplayTextParse, EveryShownTextReadsBackToAValueThatShowsIt)
{
    int checked = 0;
    for (int index = 0; index < kNumParams; ++index)
        for (float value : {0.0f, 0.01f, 0.02f, 0.07f, 0.123f, 0.25f, 0.5f, 0.618f, 0.77f, 0.999f, 1.0f}) {
            const std::string shown = textOf(index, value);
            if (shown.empty())
                continue;
            float parsed = -1.0f;
            ASSERT_TRUE(parseParamDisplay(index, shown.c_str(), 0.0f, parsed)) << kParamTable[index].shortName << " " << shown;
            EXPECT_EQ(textOf(index, parsed), shown) << kParamTable[index].shortName << " at " << value;
            ++checked;
        }
    EXPECT_GT(checked, kNumParams * 5);
}

TEST(DisplayTextParse, TypedNumbersLandNearTheirValueAndNonsenseIsRefused)
{
    const struct {
        int index;
        const char* typed;
        const char* shows;
    } cases[] = {
        {Param::Osc1Semi, "7", "+7 st"},  {Param::Osc1Semi, " -12 st ", "-12 st"}, {Param::Osc1Pan, "l 50", "L 50"},
        {Param::Osc1Pan, "c", "C"},       {Param::Osc1Vol, "33.3", "33.3"},        {Param::Poly, "16", "16"},
    };
    for (const auto& c : cases) {
        float value = -1.0f;
        ASSERT_TRUE(parseParamDisplay(c.index, c.typed, 0.0f, value)) << c.typed;
        EXPECT_EQ(textOf(c.index, value), c.shows) << c.typed;
    }
    float untouched = 0.25f;
    for (const char* nonsense : {"", "abc", "--", "?"})
        EXPECT_FALSE(parseParamDisplay(Param::Osc1Vol, nonsense, 0.0f, untouched)) << nonsense;
    EXPECT_FALSE(parseParamDisplay(kNumParams, "1", 0.0f, untouched));
    EXPECT_FALSE(parseParamDisplay(Param::Osc1Vol, nullptr, 0.0f, untouched));
    EXPECT_EQ(untouched, 0.25f);
}
