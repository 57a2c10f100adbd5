// The plug-in's own editor inside a host's window on a virtual display: it opens, draws, takes a
// real click-and-drag and a wheel step on the filter cutoff knob, undoes and redoes the drag with
// real keys, and closes.
#include "platform/NativeHostWindow.h"
#include "platform/linux/X11MenuLayout.h"
#include "vst/vstabi.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Edit gestures and automation as the host hears them: (opcode, parameter index).
std::vector<std::pair<VstInt32, VstInt32>> hostEdits;

VstIntPtr VSTCALLBACK answerHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        hostEdits.emplace_back(opcode, index);
    return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr int kCutoffIndex = 12;
// The filter 1 cutoff knob of the wide layout at the smallest size: upper area at y 48, filter 1
// at (16, 136) in it, the knob at (56, 40) in the section.
constexpr int kKnobX = 16 + 56 + 32, kKnobY = 48 + 136 + 40 + 32;

class MorvellineWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xdotool is not installed";
        library = dlopen(MORVELLINE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_TRUE(library) << dlerror();
        auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
        effect = entry(answerHost);
        ASSERT_TRUE(effect);
        dispatch(effOpen);
        ASSERT_TRUE(effect->flags & effFlagsHasEditor);
        ERect* rect = nullptr;
        ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
        std::string error;
        host = native::createHostWindow(rect->right, rect->bottom, "Morvelline", error);
        ASSERT_TRUE(host) << error;
    }
    void TearDown() override
    {
        if (effect)
            dispatch(effClose);
        host.reset();
        if (library)
            dlclose(library);
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0);
    }
    // Idles host and editor until the parameter leaves its value or time runs out.
    float idleUntilChanged(float before)
    {
        for (int i = 0; i < 300 && effect->getParameter(effect, kCutoffIndex) == before; ++i) {
            dispatch(effEditIdle);
            host->processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return effect->getParameter(effect, kCutoffIndex);
    }
    void idle(int times)
    {
        for (int i = 0; i < times; ++i) {
            dispatch(effEditIdle);
            host->processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void xdotool(const std::string& arguments)
    {
        ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
    }
    // Opens the editor, waits until the cutoff knob shows, and drags it up by 50 pixels.
    float openAndDragCutoff()
    {
        EXPECT_EQ(dispatch(effEditOpen, 0, 0, host->systemHandle()), 1);
        float drawnSum = -1;
        for (int i = 0; i < 100 && drawnSum <= 0; ++i) {
            idle(1);
            native::RgbaPixels pixels;
            std::string error;
            if (host->capture(pixels, error)) {
                native::Color c = pixels.at(kKnobX, kKnobY);
                drawnSum = float(c.red + c.green + c.blue);
            }
        }
        EXPECT_GT(drawnSum, 0) << "the knob never showed";
        xdotool("mousemove " + std::to_string(kKnobX) + " " + std::to_string(kKnobY) + " mousedown 1");
        idle(5);
        for (int step = 1; step <= 5; ++step) {
            xdotool("mousemove " + std::to_string(kKnobX) + " " + std::to_string(kKnobY - 10 * step));
            idle(2);
        }
        xdotool("mouseup 1");
        idle(5);
        return effect->getParameter(effect, kCutoffIndex);
    }

    void* library = nullptr;
    AEffect* effect = nullptr;
    std::unique_ptr<native::HostWindow> host;
};

} // namespace

TEST_F(MorvellineWindow, KnobTakesARealDragAndWheelStep)
{
    effect->setParameter(effect, kCutoffIndex, 0.5f);
    float dragged = openAndDragCutoff();
    EXPECT_NEAR(dragged, 0.75f, 0.02f);

    xdotool("mousemove " + std::to_string(kKnobX) + " " + std::to_string(kKnobY) + " click 5");
    float wheeled = idleUntilChanged(dragged);
    EXPECT_NEAR(wheeled, dragged - 0.025f, 0.001f);

    EXPECT_EQ(dispatch(effEditClose), 1);
    dispatch(effEditIdle);
}

TEST_F(MorvellineWindow, CtrlZUndoesARealDragAsHostEditsAndCtrlShiftZRedoesIt)
{
    effect->setParameter(effect, kCutoffIndex, 0.5f);
    const float dragged = openAndDragCutoff();
    ASSERT_GT(dragged, 0.6f);
    const std::vector<std::pair<VstInt32, VstInt32>> oneEdit = {
        {audioMasterBeginEdit, kCutoffIndex}, {audioMasterAutomate, kCutoffIndex}, {audioMasterEndEdit, kCutoffIndex}};
    struct Key {
        const char* keys;
        float value;
    };
    // The pointer stays on the knob, so the window has the keys.
    for (const Key& key :
         {Key{"ctrl+z", 0.5f}, Key{"ctrl+shift+z", dragged}, Key{"ctrl+z", 0.5f}, Key{"ctrl+y", dragged}}) {
        hostEdits.clear();
        const float before = effect->getParameter(effect, kCutoffIndex);
        xdotool(std::string("key ") + key.keys);
        EXPECT_EQ(idleUntilChanged(before), key.value) << key.keys;
        EXPECT_EQ(hostEdits, oneEdit) << key.keys;
    }
    dispatch(effEditClose);
}

TEST_F(MorvellineWindow, WaveformPopupTakesARealClick)
{
    constexpr int kOsc1Wave = 70;
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, host->systemHandle()), 1);
    idle(20);
    // OSC 1's waveform menu: (136, 4)-(232, 28) in the section at (16, 0) of the upper area,
    // 2 pixels in from top and bottom; the pop-up opens below it.
    const int left = 16 + 136, bottom = 48 + 28 - 2;
    xdotool("mousemove " + std::to_string(left + 20) + " " + std::to_string(bottom - 8) + " click 1");
    idle(20);
    // "Square" follows "Off", a separator and "Sawtooth".
    const int squareTop = bottom + native::kMenuBorder + 2 * native::kMenuRowHeight + native::kMenuSeparatorHeight;
    xdotool("mousemove " + std::to_string(left + 30) + " " + std::to_string(squareTop + native::kMenuRowHeight / 2) +
            " click 1");
    for (int i = 0; i < 300 && effect->getParameter(effect, kOsc1Wave) != 0.03f; ++i)
        idle(1);
    EXPECT_EQ(effect->getParameter(effect, kOsc1Wave), 0.03f);
    dispatch(effEditClose);
}
