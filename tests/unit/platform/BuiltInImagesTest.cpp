// The built-in image set: every name either layout asks for, at its native size.
#include "platform/BuiltInImages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ImageSize {
    int width = 0, height = 0;
};

// Width and height from the PNG header, without decoding.
ImageSize pngSize(ImageBytes bytes)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size < 24 || std::string(bytes.data, bytes.data + 8) != std::string(signature, signature + 8))
        return {};
    auto word = [&](size_t at) {
        return int(bytes.data[at]) << 24 | int(bytes.data[at + 1]) << 16 | int(bytes.data[at + 2]) << 8 |
               int(bytes.data[at + 3]);
    };
    return {word(16), word(20)};
}

struct Expected {
    const char* stem;
    const char* layouts;
    ImageSize compact, extended;
};

const Expected kImageSet[] = {
    {"BackMain", "CE", {784, 520}, {1168, 632}},
    {"BackMain1", "C", {784, 272}, {}},
    {"BackMain2", "C", {784, 272}, {}},
    {"BackFlt1", "C", {385, 136}, {}},
    {"BackFlt2", "C", {385, 136}, {}},
    {"BackEnv1", "C", {385, 136}, {}},
    {"BackEnv2", "C", {385, 136}, {}},
    {"SwitchMain1", "C", {72, 48}, {}},
    {"SwitchMain2", "C", {64, 48}, {}},
    {"BackSub1", "CE", {784, 152}, {784, 152}},
    {"BackSub2", "CE", {784, 152}, {784, 152}},
    {"BackSub3", "CE", {784, 152}, {784, 152}},
    {"BackSub4", "CE", {784, 152}, {784, 152}},
    {"BackSub5", "CE", {784, 152}, {784, 152}},
    {"SwitchSub1", "CE", {72, 48}, {72, 48}},
    {"SwitchSub2", "CE", {72, 48}, {72, 48}},
    {"SwitchSub3", "CE", {72, 48}, {72, 48}},
    {"SwitchSub4", "CE", {72, 48}, {72, 48}},
    {"SwitchSub5", "CE", {72, 48}, {72, 48}},
    {"KnobMainBP", "CE", {64, 6464}, {64, 6464}},
    {"KnobMainCW", "CE", {64, 6464}, {64, 6464}},
    {"KnobMainEnv", "CE", {64, 6464}, {64, 6464}},
    {"SwitchOnOff", "CE", {16, 32}, {16, 32}},
    {"SwitchOnOffSub", "CE", {16, 32}, {16, 32}},
    {"SwitchOscRouting", "CE", {120, 120}, {120, 120}},
    {"MovieOscRouting", "CE", {200, 360}, {200, 360}},
    {"MovieMidiNote", "CE", {16, 32}, {16, 32}},
    {"MenuScale", "CE", {16, 16}, {16, 16}},
    {"MenuConfig", "CE", {16, 16}, {16, 16}},
    {"MenuBank", "CE", {16, 16}, {16, 16}},
    {"MenuPreset", "CE", {16, 16}, {16, 16}},
    {"MenuOptions", "CE", {24, 24}, {24, 24}},
    {"ButtonPresetPrev", "CE", {16, 32}, {16, 32}},
    {"ButtonPresetNext", "CE", {16, 32}, {16, 32}},
    {"ButtonPagePrev", "C", {24, 48}, {}},
    {"ButtonPageNext", "C", {24, 48}, {}},
};

} // namespace

TEST(BuiltInImages, EveryNameOfBothLayoutsHasItsNativeSize)
{
    for (const Expected& image : kImageSet) {
        for (char layout : std::string("CE")) {
            std::string name = std::string(1, layout) + "_" + image.stem;
            ImageBytes bytes = builtInImage(name);
            if (std::string(image.layouts).find(layout) == std::string::npos) {
                EXPECT_TRUE(bytes.empty()) << name << " is asked for by no layout";
                continue;
            }
            ImageSize expected = layout == 'C' ? image.compact : image.extended;
            ImageSize size = pngSize(bytes);
            EXPECT_EQ(size.width, expected.width) << name;
            EXPECT_EQ(size.height, expected.height) << name;
        }
    }
}

TEST(BuiltInImages, NamesMatchWithoutRegardToCase)
{
    ImageBytes exact = builtInImage("E_KnobMainBP");
    ASSERT_FALSE(exact.empty());
    for (const char* name : {"e_knobmainbp", "E_KNOBMAINBP", "e_KnObMaInBp"})
        EXPECT_EQ(builtInImage(name).data, exact.data) << name;
    for (const char* name : {"", "E_KnobMainBP.png", "E_KnobMain", "X_KnobMainBP", "#1"})
        EXPECT_TRUE(builtInImage(name).empty()) << name;
}
