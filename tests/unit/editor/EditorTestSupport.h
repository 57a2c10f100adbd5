// A plug-in instance in a temporary data folder whose editor opens headless, with helpers to
// choose the window size and theme, find controls and send them pointer input.
#pragma once

#include "editor/Editor.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"
#include "formats/vst2/Plugin.h"
#include "support/HostEventList.h"
#include "unit/support/FakeSystemServices.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace editortest {

inline std::vector<VstInt32>& automatedIndices()
{
    static std::vector<VstInt32> indices;
    return indices;
}

// Edit gestures and automation as the host hears them: (opcode, parameter index).
inline std::vector<std::pair<VstInt32, VstInt32>>& editCalls()
{
    static std::vector<std::pair<VstInt32, VstInt32>> calls;
    return calls;
}

inline VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterAutomate)
        automatedIndices().push_back(index);
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        editCalls().emplace_back(opcode, index);
    return 0;
}

// A control with its rectangle in frame coordinates.
struct Placed {
    CControl* control;
    CRect rect;
};

struct EditorFixture : ::testing::Test {
    TemporaryFolder folder;
    FakeSystemServices system;
    Plugin* plugin = nullptr;

    EditorFixture()
    {
        system.module = folder.path / "Morvelline.so";
        system.localData = folder.path / "appdata";
        std::filesystem::create_directories(dataFolder());
        automatedIndices().clear();
        editCalls().clear();
    }
    ~EditorFixture() override
    {
        if (plugin)
            plugin->dispatcher(effClose, 0, 0, nullptr, 0);
    }
    std::filesystem::path dataFolder() const { return system.localData / "Hollowfen Software" / "Morvelline"; }

    void writeSettings(int scale, const std::string& theme = "Extended")
    {
        std::ofstream(dataFolder() / "Settings.txt") << "theme=" << theme << "\nscale=" << scale << "\n";
    }
    void writeTheme(const std::string& theme, const std::string& text)
    {
        std::filesystem::create_directories(dataFolder() / "Themes" / theme);
        std::ofstream(dataFolder() / "Themes" / theme / "Theme.txt") << text;
    }
    Plugin& create()
    {
        if (!plugin)
            plugin = static_cast<Plugin*>(AudioEffect::fromAeffect(createEffectInstance(host)));
        return *plugin;
    }
    Editor& editor() { return *create().pluginEditor(); }
    Editor& openEditor()
    {
        EXPECT_TRUE(editor().openHeadless());
        return editor();
    }
    CFrame& frame() { return *editor().getFrame(); }

    std::vector<Placed> controls()
    {
        std::vector<Placed> all;
        frame().forEachDescendant([&](CView* view) {
            if (auto* control = dynamic_cast<CControl*>(view)) {
                CRect r = control->getViewSize();
                control->localToFrame(r);
                all.push_back({control, r});
            }
        });
        return all;
    }
    // The controls with tag whose class is (or derives from) className.
    std::vector<Placed> withTag(long tag, const char* className = "CControl")
    {
        std::vector<Placed> found;
        for (const Placed& p : controls())
            if (p.control->getTag() == tag && p.control->isTypeOf(className))
                found.push_back(p);
        return found;
    }
    CControl* one(long tag, const char* className)
    {
        auto found = withTag(tag, className);
        EXPECT_EQ(found.size(), 1u) << "tag " << tag << " " << className;
        return found.empty() ? nullptr : found[0].control;
    }
    CPoint centre(long tag, const char* className)
    {
        auto found = withTag(tag, className);
        EXPECT_FALSE(found.empty()) << "tag " << tag;
        const CRect r = found.empty() ? CRect() : found[0].rect;
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // One MIDI message, then blocks of audio that play it and publish the engine's state.
    void sendMidi(int status, int data1, int data2)
    {
        HostEventList events;
        events.add(0, status, data1, data2);
        create().processEvents(events.list());
        renderBlocks(2);
    }
    void renderBlocks(int count)
    {
        float left[64], right[64];
        float* outputs[] = {left, right};
        for (int i = 0; i < count; ++i)
            create().processReplacing(nullptr, outputs, 64);
    }
    void click(CPoint where, long buttons)
    {
        frame().onMouseDown(where, buttons);
        frame().onMouseUp(where, buttons & ~long(kDoubleClick));
    }
    void drag(CPoint from, int dy, long buttons = kLButton)
    {
        frame().onMouseDown(from, buttons);
        CPoint to(from.x, from.y + dy);
        frame().onMouseMoved(to, buttons);
        frame().onMouseUp(to, buttons);
    }
};

} // namespace editortest
