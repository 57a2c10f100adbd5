#include "DemoControls.h"

#include "GuiTestSupport.h"

#include "gui/CAnimKnob.h"
#include "gui/CFontDesc.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CKickButton.h"
#include "gui/CMovieBitmap.h"
#include "gui/COnOffButton.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CTabView.h"
#include "gui/CTextEdit.h"
#include "gui/CTextLabel.h"

#include <cmath>
#include <cstdio>
#include <numbers>

using guitest::makeBitmap;
using guitest::makeStrip;

namespace {

// A knob face with a pointer line, one frame per step of the 270-degree sweep.
CBitmap* knobStrip(int size, int frames)
{
    return makeBitmap(size, size * frames, [size, frames](int x, int y) -> native::Color {
        int frame = y / size;
        double cx = x - size / 2.0 + 0.5, cy = (y % size) - size / 2.0 + 0.5;
        double r = std::hypot(cx, cy);
        if (r > size / 2.0 - 1)
            return {0, 0, 0, 0};
        double angle = 1.25 * std::numbers::pi - 1.5 * std::numbers::pi * frame / (frames - 1);
        double along = cx * std::cos(angle) - cy * std::sin(angle);
        double across = std::abs(cx * std::sin(angle) + cy * std::cos(angle));
        if (along > 2 && across < 1.6)
            return {255, 140, 40, 255};
        return {70, 70, 78, 255};
    });
}

CBitmap* twoStates(int width, int height, native::Color off, native::Color on)
{
    return makeBitmap(width, height * 2, [=](int x, int y) {
        bool edge = x == 0 || x == width - 1 || y % height == 0 || y % height == height - 1;
        return edge ? native::Color{20, 20, 20, 255} : (y < height ? off : on);
    });
}

void percent(float value, char* text, void*)
{
    std::snprintf(text, 256, "%.0f %%", double(value) * 100);
}

template <typename View>
View* styled(View* view, const CColor& font, const CColor& back, const CColor& frame)
{
    view->setFontColor(font);
    view->setBackColor(back);
    view->setFrameColor(frame);
    return view;
}

} // namespace

CViewContainer* buildDemoControls(CControlListener* listener)
{
    auto* panel = new CViewContainer(CRect(0, 0, kDemoWidth, kDemoHeight));
    panel->setBackgroundColor({34, 36, 44, 255});

    auto* title = new CTextLabel(CRect(16, 8, 300, 32), "Toolkit test panel");
    auto* titleFont = new CFontDesc("Trebuchet MS", 16, kBoldFace);
    title->setFont(titleFont);
    titleFont->forget();
    title->setHoriAlign(kLeftText);
    title->setTransparency(true);
    styled(title, {230, 230, 240, 255}, kTransparentCColor, kTransparentCColor);
    panel->addView(title);

    // Drawn once per load: the window tests open the editor hundreds of times.
    static struct SharedStrip {
        CBitmap* bitmap = knobStrip(48, 101);
        ~SharedStrip() { bitmap->forget(); }
    } shared;
    CBitmap* strip = shared.bitmap;
    strip->remember();
    for (int i = 0; i < 2; ++i) {
        CRect r = kDemoKnobRect;
        r.offset(i * 56, 0);
        auto* knob = new CAnimKnob(r, listener, i, strip);
        knob->setValue(i == 0 ? 0.25f : 0.8f);
        knob->setDefaultValue(0.5f);
        knob->setWheelInc(0.025f);
        panel->addView(knob);
        auto* display = new CParamDisplay(CRect(r.left - 4, 92, r.right + 4, 110));
        styled(display, {255, 255, 255, 204}, {51, 51, 51, 255}, {17, 17, 17, 255});
        display->setValueToStringProc(percent);
        display->setValue(knob->getValue());
        panel->addView(display);
    }
    strip->forget();

    CBitmap* onOff = twoStates(16, 16, {60, 60, 60, 255}, {255, 119, 0, 255});
    for (int i = 0; i < 2; ++i) {
        CRect r = kDemoSwitchRect;
        r.offset(i * 24, 0);
        auto* button = new COnOffButton(r, listener, 2 + i, onOff);
        button->setValue(float(i));
        panel->addView(button);
    }
    onOff->forget();

    CBitmap* kick = twoStates(16, 16, {90, 90, 200, 255}, {200, 200, 255, 255});
    panel->addView(new CKickButton(CRect(120, 64, 136, 80), listener, 1001, kick));
    kick->forget();

    CBitmap* movie = makeStrip(48, 24, 5, [](int f) { return native::Color{uint8_t(40 + 50 * f), 160, 90, 255}; });
    auto* diagram = new CMovieBitmap(CRect(180, 40, 228, 64), listener, 1000, movie);
    diagram->setValue(0.5f);
    panel->addView(diagram);
    movie->forget();

    CBitmap* selector = makeStrip(100, 20, 5, [](int f) { return native::Color{120, uint8_t(40 + 50 * f), 200, 255}; });
    auto* positions = new CHorizontalSwitch(CRect(180, 70, 280, 90), listener, 1000, 5, 20, 5, selector);
    positions->setValue(0.5f);
    panel->addView(positions);
    selector->forget();

    auto* menu = new COptionMenu(kDemoMenuRect, listener, 1012);
    for (const char* entry : {"Off", "-", "Sawtooth", "Square", "Triangle", "Sine"})
        menu->addEntry(entry);
    menu->setValue(2);
    menu->checkEntryAlone(2);
    styled(menu, {255, 255, 255, 204}, {51, 51, 51, 255}, {17, 17, 17, 255});
    panel->addView(menu);

    auto* name = new CTextEdit(CRect(300, 70, 460, 90), listener, 1003, "Init Program");
    auto* mono = new CFontDesc("Consolas", 12);
    name->setFont(mono);
    mono->forget();
    name->setHoriAlign(kLeftText);
    styled(name, {255, 255, 255, 178}, {85, 85, 85, 255}, {17, 17, 17, 255});
    panel->addView(name);

    // Two pages with tab buttons along the bottom edge.
    auto* tabs = new CTabView(CRect(16, 130, 464, 290), nullptr, kPositionBottom, 24);
    for (int page = 0; page < 2; ++page) {
        auto* content = new CViewContainer(CRect(0, 0, 448, 136));
        content->setBackgroundColor(page == 0 ? CColor{60, 44, 44, 255} : CColor{44, 44, 70, 255});
        auto* label = new CTextLabel(CRect(8, 8, 440, 32), page == 0 ? "Page one" : "Page two");
        label->setTransparency(true);
        styled(label, {255, 255, 255, 178}, kTransparentCColor, kTransparentCColor);
        content->addView(label);
        CBitmap* tab = twoStates(76, 24, {70, 70, 80, 255}, {240, 140, 60, 255});
        tabs->addTab(content, tab);
        tab->forget();
    }
    panel->addView(tabs);
    return panel;
}
