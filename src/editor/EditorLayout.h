// Where every view of the editor window sits, as data: the panes (containers, tab views and
// their pages) and every control with its pane, rectangle, tag, image and text style. The
// editor builds its view tree from these lists; positions are in unscaled pixels relative to
// the pane and are multiplied by the window factor when the window is built.
#pragma once

#include <cstdint>
#include <vector>

// The text styles of a theme, in the theme record's order.
enum class TextStyle : uint8_t {
    Main1Title,
    Main1Menu,
    Main1Name,
    Main1Value,
    Main2Title,
    Main2Name,
    Main2Value,
    Main3Name,
    Main3Value,
    Sub1Title,
    Sub1Name,
    Sub1Value,
    MasterVol,
    PresetNumber,
    PresetName,
    None,
};
constexpr int kNumTextStyles = 15;

enum class Pane : uint8_t {
    Window,    // the full-size container with the background image
    Upper,     // the upper area
    UpperTabs, // Compact: tab view of the two upper pages
    UpperPage1,
    UpperPage2,
    FilterTabs, // Compact: the two filter pages, switched by page buttons
    FilterPage1,
    FilterPage2,
    EnvTabs, // Compact: the two envelope pages
    EnvPage1,
    EnvPage2,
    LowerTabs, // the lower area
    LowerPage1,
    LowerPage2,
    LowerPage3,
    LowerPage4,
    LowerPage5,
};
constexpr int kNumPanes = 17;

enum class PaneKind : uint8_t {
    Container, // a plain view container
    TabView,   // pages of which one shows; its buttons are the pages' tab images
    Page,      // one page of the tab view that is its parent
};

enum class TabRow : uint8_t { None, Top, Bottom };

// The height of a tab view's row of tabs, at the Medium size.
constexpr int kTabRowHeight = 24;

struct LayoutRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const LayoutRect&) const = default;
};

struct PaneSpec {
    Pane pane;
    Pane parent;
    PaneKind kind;
    LayoutRect rect;      // in the parent; for pages, the page's area within the tab view
    const char* image;    // background image stem, or null (transparent)
    const char* tabImage; // pages: the tab button image stem, or null for tab views without buttons
    TabRow tabRow;        // tab views: where their buttons run
};

enum class Widget : uint8_t {
    Knob,          // visible knob: a 101-frame image strip
    HiddenKnob,    // a knob without image laid over a value text
    ValueDisplay,  // the parameter's value text
    ActiveLabel,   // knob label: the name, or the value while the knob is handled
    Caption,       // fixed text
    StatusText,    // text the editor fills at idle (program number, learn state, Mod CC)
    ClickableText, // "Assigned CC": sends its tag with 1 on click and 2 on Ctrl+click
    ParamMenu,     // menu of a coded parameter (waveform, filter type, modulation)
    IconMenu,      // the header menus and the section copy/paste menus
    OnOffSwitch,
    KickButton,     // program step and page buttons: 1 while pressed
    NameField,      // the program name
    NoteLamp,       // two-frame image lit while notes are held
    VoiceLamp,      // a coloured bar lit while its voice sounds
    RoutingDiagram, // five-frame image of the oscillator routing
    RoutingSelector // five-position switch of the oscillator routing
};

enum class ParamMenuKind : uint8_t { None, OscWave, FilterType, LfoWave, ModSource, ModTarget };

struct ControlSpec {
    Widget widget;
    Pane pane;
    LayoutRect rect;             // in the pane, unscaled
    int tag;                     // parameter index 0..198, or a CommandTag
    const char* image = nullptr; // image stem ("KnobMainCW"), without the layout's prefix
    TextStyle style = TextStyle::None;
    TextStyle valueStyle = TextStyle::None; // active labels: the colours while the value shows
    const char* text = nullptr;             // captions, titles and active label names
    int inset = 0;                          // pixels taken from top and bottom after scaling
    ParamMenuKind menu = ParamMenuKind::None;
    int entriesPerColumn = 0; // menus laid out in columns; 0 for one column
    int index = 0;            // voice lamps: the voice; status texts: which (StatusKind)
    int parameter = -1;       // parameter menus: the parameter they choose
};

// What a status text shows.
enum StatusKind : int { kProgramNumberText, kSelectedControlText, kModCc1Text, kModCc2Text };

// What the layout depends on: the layout flag and the theme's paddings and spacings, already
// in unscaled pixels (8 per unit).
struct LayoutFrame {
    bool extended = true;
    int side = 0;          // P
    int top = 0;           // T
    int bottom = 0;        // B
    int topSpacing = 0;    // S
    int bottomSpacing = 0; // Q
};

// Unscaled size of the whole window.
int layoutWidth(const LayoutFrame& frame);
int layoutHeight(const LayoutFrame& frame);

std::vector<PaneSpec> layoutPanes(const LayoutFrame& frame);
std::vector<ControlSpec> layoutControls(const LayoutFrame& frame);

// A coordinate multiplied by the window factor, truncated.
inline int scaled(int coordinate, double factor)
{
    return int(coordinate * factor);
}
// A rectangle scaled, then made smaller at top and bottom by inset pixels.
LayoutRect scaledRect(const LayoutRect& rect, double factor, int inset = 0);
