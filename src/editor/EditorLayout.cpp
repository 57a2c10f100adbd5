#include "editor/EditorLayout.h"

#include "editor/LayoutBuilder.h"

namespace {

constexpr int kExtendedWidth = 1168, kExtendedHeight = 632;
constexpr int kCompactWidth = 784, kCompactHeight = 520;
constexpr int kHeaderHeight = 48;
constexpr int kLowerWidth = 784, kLowerHeight = 176;

int upperHeight(const LayoutFrame& f)
{
    return f.extended ? 408 : 296;
}

} // namespace

int layoutWidth(const LayoutFrame& f)
{
    return (f.extended ? kExtendedWidth : kCompactWidth) + 2 * f.side;
}

int layoutHeight(const LayoutFrame& f)
{
    return (f.extended ? kExtendedHeight : kCompactHeight) + f.top + f.bottom + f.topSpacing + f.bottomSpacing;
}

LayoutRect scaledRect(const LayoutRect& r, double factor, int inset)
{
    return {scaled(r.left, factor), scaled(r.top, factor) + inset, scaled(r.right, factor),
            scaled(r.bottom, factor) - inset};
}

std::vector<PaneSpec> layoutPanes(const LayoutFrame& f)
{
    std::vector<PaneSpec> panes;
    auto add = [&](Pane pane, Pane parent, PaneKind kind, LayoutRect rect, const char* image,
                   const char* tabImage = nullptr, TabRow row = TabRow::None) {
        panes.push_back({pane, parent, kind, rect, image, tabImage, row});
    };
    add(Pane::Window, Pane::Window, PaneKind::Container, {0, 0, layoutWidth(f), layoutHeight(f)}, "BackMain");
    const int upperTop = kHeaderHeight + f.top + f.topSpacing;
    const int width = f.extended ? kExtendedWidth : kCompactWidth;
    add(Pane::Upper, Pane::Window, PaneKind::Container, {f.side, upperTop, f.side + width, upperTop + upperHeight(f)},
        nullptr);
    if (!f.extended) {
        add(Pane::UpperTabs, Pane::Upper, PaneKind::TabView, {0, 0, 784, 296}, nullptr, nullptr, TabRow::Top);
        add(Pane::UpperPage1, Pane::UpperTabs, PaneKind::Page, {0, 24, 784, 296}, "BackMain1", "SwitchMain1");
        add(Pane::UpperPage2, Pane::UpperTabs, PaneKind::Page, {0, 24, 784, 296}, "BackMain2", "SwitchMain2");
        add(Pane::FilterTabs, Pane::UpperPage1, PaneKind::TabView, {8, 136, 392, 272}, nullptr);
        add(Pane::FilterPage1, Pane::FilterTabs, PaneKind::Page, {0, 0, 384, 136}, "BackFlt1");
        add(Pane::FilterPage2, Pane::FilterTabs, PaneKind::Page, {0, 0, 384, 136}, "BackFlt2");
        add(Pane::EnvTabs, Pane::UpperPage1, PaneKind::TabView, {392, 136, 776, 272}, nullptr);
        add(Pane::EnvPage1, Pane::EnvTabs, PaneKind::Page, {0, 0, 384, 136}, "BackEnv1");
        add(Pane::EnvPage2, Pane::EnvTabs, PaneKind::Page, {0, 0, 384, 136}, "BackEnv2");
    }
    const int lowerTop = (f.extended ? 456 : 344) + f.top + f.topSpacing + f.bottomSpacing;
    add(Pane::LowerTabs, Pane::Window, PaneKind::TabView,
        {f.side, lowerTop, f.side + kLowerWidth, lowerTop + kLowerHeight}, nullptr, nullptr, TabRow::Bottom);
    static const char* const kSubImages[5][2] = {{"BackSub1", "SwitchSub1"},
                                                 {"BackSub2", "SwitchSub2"},
                                                 {"BackSub3", "SwitchSub3"},
                                                 {"BackSub4", "SwitchSub4"},
                                                 {"BackSub5", "SwitchSub5"}};
    for (int page = 0; page < 5; ++page)
        add(Pane(int(Pane::LowerPage1) + page), Pane::LowerTabs, PaneKind::Page,
            {0, 0, kLowerWidth, kLowerHeight - kTabRowHeight}, kSubImages[page][0], kSubImages[page][1]);
    return panes;
}

std::vector<ControlSpec> layoutControls(const LayoutFrame& f)
{
    LayoutBuilder builder(f);
    builder.addHeader();
    builder.addSections();
    builder.addLowerPages();
    return builder.take();
}
