// Window sizes and the place of every tagged control, in both layouts, at every size and with
// paddings. The expected places are written down here from the layout tables of the design,
// independently of the editor's own tables.
#include "EditorTestSupport.h"

#include "params/ParamTable.h"

#include <cstdio>

using namespace editortest;

namespace {

struct Expected {
    long tag;
    CRect rect; // frame coordinates, scaled
    const char* what;
};

// Builds the expected list of one layout: every control found by tag at its scaled rectangle.
class ExpectedLayout {
public:
    ExpectedLayout(bool extended, double scale, int side, int top, int topSpacing, int bottomSpacing)
        : x(extended), g(scale), p(side), t(top), s(topSpacing), q(bottomSpacing)
    {
    }

    std::vector<Expected> build()
    {
        header();
        sections();
        lowerPages();
        return list;
    }

private:
    struct Box {
        int ox, oy; // the container's scaled frame position
        int dx, dy; // section origin in the container, unscaled
    };
    int sc(int v) const { return int(v * g); }
    void add(long tag, Box b, int l, int tp, int r, int bt, int inset = 0, const char* what = "")
    {
        list.push_back({tag,
                        CRect(b.ox + sc(b.dx + l), b.oy + sc(b.dy + tp) + inset, b.ox + sc(b.dx + r),
                              b.oy + sc(b.dy + bt) - inset),
                        what});
    }
    static int param(const char* pattern, int n)
    {
        char name[32];
        std::snprintf(name, sizeof name, pattern, n);
        int index = findParamByShortName(name);
        EXPECT_GE(index, 0) << name;
        return index;
    }

    Box window() const { return {0, 0, 0, 0}; }
    Box upper(int dx, int dy) const { return {sc(p), sc(48 + t + s), dx, dy}; }
    Box upperPage(int dx, int dy) const { return {sc(p), sc(48 + t + s) + sc(24), dx, dy}; }
    Box filterPage() const { return {sc(p) + sc(8), sc(48 + t + s) + sc(24) + sc(136), 8, 0}; }
    Box envPage() const { return {sc(p) + sc(392), sc(48 + t + s) + sc(24) + sc(136), 8, 0}; }
    Box lower() const { return {sc(p), sc((x ? 456 : 344) + t + s + q), 0, 0}; }

    void header()
    {
        const int h = x ? 112 : 16;
        Box w = window();
        add(1004, w, p + 16, t + 16, p + 32, t + 32);
        const int items[][2] = {{1005, 232}, {1006, 256}, {1007, 280}, {1001, 312}, {1002, 328}};
        for (auto& item : items)
            add(item[0], w, p + h + item[1], t + 16, p + h + item[1] + 16, t + 32);
        add(1003, w, p + h + 384, t + 16, p + h + 608, t + 31);
        add(Param::Volume, w, p + h + 672, t + 12, p + h + 720, t + 36, 0, "display");
        add(Param::Volume, w, p + h + 672, t + 12, p + h + 720, t + 36, 0, "knob");
    }

    void knobs(Box b, const int* params, const int* xs, int count)
    {
        for (int i = 0; i < count; ++i) {
            add(params[i], b, xs[i], 40, xs[i] + 64, 104, 0, "knob");
            add(params[i], b, xs[i] - 8, 104, xs[i] + 72, 128, 2, "label");
        }
    }

    void sections()
    {
        static const int fiveX[] = {8, 80, 152, 224, 296};
        for (int n = 1; n <= 2; ++n) {
            Box b = x ? upper(n == 1 ? 16 : 400, 0) : upperPage(n == 1 ? 16 : 400, 0);
            add(1011 + n, b, 136, 4, 232, 28, 2);
            add(1009 + n, b, 352, 4, 376, 28);
            const int params[] = {param("Osc%dSemi", n), param("Osc%dFine", n), param("Osc%dDet", n),
                                  param("Osc%dSub", n), param("Osc%dVol", n)};
            knobs(b, params, fiveX, 5);
        }
        for (int n = 1; n <= 2; ++n) {
            Box b = x ? upper(n == 1 ? 16 : 400, 136) : filterPage();
            add(1019 + n, b, 136, 4, 232, 28, 2);
            add(1017 + n, b, 352, 4, 376, 28);
            if (!x)
                add(1084 + n, b, 328, 4, 352, 28);
            static const int xs[] = {56, 152, 248};
            const int params[] = {n == 1 ? Param::FltCut : Param::Flt2Cut, n == 1 ? Param::FltRes : Param::Flt2Res,
                                  n == 1 ? Param::FltKey : Param::Flt2Key};
            knobs(b, params, xs, 3);
        }
        for (int n = 1; n <= 4; ++n) {
            Box b;
            if (x)
                b = n <= 2   ? upper(n == 1 ? 16 : 400, 272)
                    : n == 3 ? upper(784, 272)
                             : Box{0, 0, 784 + p, 456 + t + s + q}; // lined up with the lower area
            else
                b = n <= 2 ? envPage() : upperPage(n == 3 ? 16 : 400, 136);
            add(1021 + n, b, 352, 4, 376, 28);
            if (!x && n <= 2)
                add(1086 + n, b, 328, 4, 352, 28);
            const int params[] = {param("Env%dAtt", n), param("Env%dDec", n), param("Env%dSus", n),
                                  param("Env%dRel", n), param("Env%dVel", n)};
            knobs(b, params, fiveX, 5);
        }
        for (int n = 1; n <= 4; ++n) {
            static const int ext[][2] = {{784, 0}, {976, 0}, {784, 136}, {976, 136}};
            static const int cmp[][2] = {{16, 0}, {208, 0}, {400, 0}, {592, 0}};
            Box b = x ? upper(ext[n - 1][0], ext[n - 1][1]) : upperPage(cmp[n - 1][0], cmp[n - 1][1]);
            add(1029 + n, b, 64, 4, 152, 28, 2);
            add(1025 + n, b, 160, 4, 184, 28);
            add(param("Lfo%dRate", n), b, 8, 40, 72, 104, 0, "knob");
            add(param("Lfo%dRate", n), b, 0, 104, 80, 128, 2, "label");
            add(param("Lfo%dFree", n), b, 84, 44, 100, 60);
            add(param("Lfo%dSync", n), b, 84, 92, 100, 108);
            for (int twice = 0; twice < 2; ++twice) {
                add(param("Lfo%dPhse", n), b, 120, 40, 168, 64, 3);
                add(param("Lfo%dOfs", n), b, 120, 88, 168, 112, 3);
            }
        }
    }

    // A value display and the invisible knob on it.
    void value(long tag, int l, int tp, int r)
    {
        add(tag, lower(), l, tp, r, tp + 24, 0, "display");
        add(tag, lower(), l, tp, r, tp + 24, 0, "knob");
    }

    void lowerPages()
    {
        Box b = lower();
        for (int m = 1; m <= 24; ++m) {
            const int k = (m - 1) % 12 + 1;
            const int cx = 24 + 240 * ((k - 1) / 4), y = 40 + 24 * ((k - 1) % 4);
            add(1036 + m, b, cx + 32, y, cx + 104, y + 24);
            value(param("ModAmt%d", m), cx + 104, y, cx + 152);
            add(1060 + m, b, cx + 152, y, cx + 240, y + 24);
        }
        for (int n = 1; n <= 2; ++n) {
            const int dx = 384 * (n - 1);
            const char* first[] = {"Osc%dPW", "Osc%dDtVo", "Osc%dDtSp", "Osc%dDtMx"};
            const char* second[] = {"Osc%dPan", "Osc%dPhse", "Sub%dSemi", "Sub%dFine"};
            for (int row = 0; row < 4; ++row) {
                value(param(first[row], n), 136 + dx, 40 + 24 * row, 192 + dx);
                value(param(second[row], n), 296 + dx, 40 + 24 * row, 368 + dx);
            }
        }
        const int play[] = {Param::Tuning, Param::KeySplit, Param::Poly, Param::GldAmt};
        for (int row = 0; row < 4; ++row)
            value(play[row], 128, 40 + 24 * row, 200);
        value(Param::PBRange, 296, 40, 368);
        value(Param::PBRange2, 296, 64, 368);
        value(1034, 296, 88, 368);
        value(1035, 296, 112, 368);
        add(Param::OscRoute, b, 400, 40, 616, 112, 0, "diagram");
        add(Param::OscRoute, b, 440, 112, 560, 136, 0, "selector");
        add(1036, b, 632, 112, 752, 136);
        const int delay[] = {Param::DlyMix, Param::DlyTime, Param::DlyCut, Param::DlyFBack};
        const int reverb[] = {Param::RvbMix, Param::RvbPrDly, Param::RvbSize, Param::RvbDamp};
        for (int row = 0; row < 4; ++row) {
            value(delay[row], 128, 40 + 24 * row, 200);
            value(reverb[row], 512, 40 + 24 * row, 584);
        }
        const int delaySwitches[] = {Param::DlyAmp1, Param::DlySync, Param::DlyLP};
        for (int row = 0; row < 3; ++row)
            add(delaySwitches[row], b, 324, 44 + 24 * row, 340, 60 + 24 * row);
        add(Param::RvbAmp1, b, 708, 44, 724, 60);
        add(Param::RvbSync, b, 708, 68, 724, 84);
        value(Param::DlyWidth, 296, 112, 368);
        value(Param::RvbDens, 680, 88, 752);
        value(Param::RvbWidth, 680, 112, 752);
    }

    bool x;
    double g;
    int p, t, s, q;
    std::vector<Expected> list;
};

struct Geometry : EditorFixture {};

} // namespace

TEST_F(Geometry, WindowSizesFollowLayoutScaleAndPaddings)
{
    struct Case {
        const char* theme;
        int scale;
        const char* themeText;
        short width, height;
    };
    const Case cases[] = {
        {"Extended", 1, "", 1168, 632},
        {"Extended", 3, "", 2336, 1264},
        {"Compact", 1, "", 784, 520},
        {"Compact", 3, "", 1568, 1040},
        {"Extended", 2, "", 1752, 948},
        {"Extended", 1, "sidePadding=2\n", 1168 + 32, 632},
        {"Compact", 1, "topPadding=1\nbottomPadding=2\ntopSpacing=3\nbottomSpacing=4\n", 784, 520 + 80},
        // Wild theme numbers are ignored; the largest accepted still fit the 16-bit rectangle.
        {"Extended", 1, "sidePadding=-100\ntopPadding=-1\n", 1168, 632},
        {"Extended", 3, "sidePadding=2000\ntopSpacing=0x7fffffff\nthemeScale=2147483647\n", 2336, 1264},
        {"Extended", 3, "sidePadding=256\ntopPadding=256\nbottomPadding=256\ntopSpacing=256\nbottomSpacing=256\n",
         2 * (1168 + 4096), 2 * (632 + 4 * 2048)},
    };
    for (const Case& c : cases) {
        writeSettings(c.scale, c.theme);
        writeTheme(c.theme, c.themeText);
        ERect* before = nullptr;
        ASSERT_EQ(create().dispatcher(effEditGetRect, 0, 0, &before, 0), 1);
        Editor& e = openEditor();
        ERect* rect = nullptr;
        create().dispatcher(effEditGetRect, 0, 0, &rect, 0);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, c.width) << c.theme << " " << c.scale << " " << c.themeText;
        EXPECT_EQ(rect->bottom - rect->top, c.height) << c.theme << " " << c.scale << " " << c.themeText;
        EXPECT_EQ(frame().getViewSize(), CRect(0, 0, c.width, c.height));
        e.close();
        // A host asking before the next opening hears the size that opening will have.
        ERect* next = nullptr;
        create().dispatcher(effEditGetRect, 0, 0, &next, 0);
        EXPECT_EQ(next->right, c.width);
        EXPECT_EQ(next->bottom, c.height);
    }
}

TEST_F(Geometry, EveryControlOfTheTablesSitsAtItsScaledRectangle)
{
    struct Case {
        const char* theme;
        int scale;
        int side, top, topSpacing, bottomSpacing; // units of 8 pixels
    };
    const Case cases[] = {{"Extended", 1, 0, 0, 0, 0}, {"Compact", 1, 0, 0, 0, 0},  {"Extended", 2, 0, 0, 0, 0},
                          {"Compact", 3, 0, 0, 0, 0},  {"Extended", 1, 2, 1, 1, 1}, {"Compact", 2, 2, 1, 2, 1}};
    for (const Case& c : cases) {
        writeSettings(c.scale, c.theme);
        char themeText[200];
        std::snprintf(themeText, sizeof themeText, "sidePadding=%d\ntopPadding=%d\ntopSpacing=%d\nbottomSpacing=%d\n",
                      c.side, c.top, c.topSpacing, c.bottomSpacing);
        writeTheme(c.theme, themeText);
        openEditor();
        const double g = c.scale == 2 ? 1.5 : c.scale == 3 ? 2.0 : 1.0;
        ExpectedLayout expected(std::string(c.theme) == "Extended", g, 8 * c.side, 8 * c.top, 8 * c.topSpacing,
                                8 * c.bottomSpacing);
        std::vector<Placed> placed = controls();
        for (const Expected& e : expected.build()) {
            bool found = false;
            for (const Placed& p : placed)
                found = found || (p.control->getTag() == e.tag && p.rect == e.rect);
            EXPECT_TRUE(found) << c.theme << " scale " << c.scale << " padding " << c.side << ": tag " << e.tag << " "
                               << e.what << " at " << e.rect.left << "," << e.rect.top << "-" << e.rect.right << ","
                               << e.rect.bottom;
        }
        editor().close();
    }
}
