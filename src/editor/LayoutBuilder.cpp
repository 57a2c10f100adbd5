#include "editor/LayoutBuilder.h"

#include "params/CommandTags.h"
#include "params/ParamTable.h"
#include "params/SectionParams.h"

namespace {

const char* const kSlotNumbers[] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12",
                                    "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23", "24"};

constexpr int kLabelInset = 2;
constexpr int kLfoValueInset = 3;

} // namespace

ControlSpec& LayoutBuilder::add(Widget widget, Pane pane, LayoutRect rect, int tag)
{
    ControlSpec placement{};
    placement.widget = widget;
    placement.pane = pane;
    placement.rect = rect;
    placement.tag = tag;
    controls.push_back(placement);
    return controls.back();
}

ControlSpec& LayoutBuilder::add(Widget widget, Origin o, LayoutRect r, int tag)
{
    return add(widget, o.pane, {o.x + r.left, o.y + r.top, o.x + r.right, o.y + r.bottom}, tag);
}

void LayoutBuilder::addValue(Origin o, LayoutRect rect, int parameter, TextStyle style, int inset)
{
    ControlSpec& display = add(Widget::ValueDisplay, o, rect, parameter);
    display.style = style;
    display.inset = inset;
    add(Widget::HiddenKnob, o, rect, parameter).inset = inset;
}

void LayoutBuilder::addCaption(Origin o, LayoutRect rect, const char* text, TextStyle style, int inset)
{
    ControlSpec& caption = add(Widget::Caption, o, rect, CommandTag::None);
    caption.text = text;
    caption.style = style;
    caption.inset = inset;
}

void LayoutBuilder::addKnobRow(Origin o, const LabelledKnob* knobs, const int* xs, int count, const char* image,
                               int labelOffset, TextStyle name, TextStyle value)
{
    for (int i = 0; i < count; ++i) {
        add(Widget::Knob, o, {xs[i], 40, xs[i] + 64, 104}, knobs[i].parameter).image = image;
        ControlSpec& label =
            add(Widget::ActiveLabel, o, {xs[i] + labelOffset, 104, xs[i] + labelOffset + 80, 128}, knobs[i].parameter);
        label.text = knobs[i].name;
        label.style = name;
        label.valueStyle = value;
        label.inset = kLabelInset;
    }
}

void LayoutBuilder::addHeader()
{
    const int p = frame.side, t = frame.top;
    const int h = p + (frame.extended ? 112 : 16);
    auto item = [&](Widget widget, int left, int right, int tag, const char* image) -> ControlSpec& {
        ControlSpec& placement = add(widget, Pane::Window, {left, t + 16, right, t + 32}, tag);
        placement.image = image;
        return placement;
    };
    item(Widget::IconMenu, p + 16, p + 32, CommandTag::ScaleMenu, "MenuScale");
    for (int k = 0; k < 32; ++k)
        add(Widget::VoiceLamp, Pane::Window, {p + 48 + 4 * k, t + 33, p + 50 + 4 * k, t + 35}, CommandTag::None).index =
            k;
    item(Widget::IconMenu, h + 232, h + 248, CommandTag::OptionsMenu, "MenuConfig");
    item(Widget::IconMenu, h + 256, h + 272, CommandTag::BankMenu, "MenuBank");
    item(Widget::IconMenu, h + 280, h + 296, CommandTag::ProgramMenu, "MenuPreset").entriesPerColumn = 20;
    item(Widget::KickButton, h + 312, h + 328, CommandTag::PreviousProgram, "ButtonPresetPrev");
    item(Widget::KickButton, h + 328, h + 344, CommandTag::NextProgram, "ButtonPresetNext");
    ControlSpec& number = item(Widget::StatusText, h + 352, h + 384, CommandTag::None, nullptr);
    number.style = TextStyle::PresetNumber;
    number.index = kProgramNumberText;
    ControlSpec& name = item(Widget::NameField, h + 384, h + 608, CommandTag::ProgramName, nullptr);
    name.style = TextStyle::PresetName;
    name.rect.bottom -= 1;
    item(Widget::NoteLamp, h + 648, h + 664, CommandTag::None, "MovieMidiNote");
    addValue({Pane::Window, 0, 0}, {h + 672, t + 12, h + 720, t + 36}, Param::Volume, TextStyle::MasterVol);
}

void LayoutBuilder::addSections()
{
    const bool x = frame.extended;
    const Pane page1 = x ? Pane::Upper : Pane::UpperPage1;
    const Pane page2 = x ? Pane::Upper : Pane::UpperPage2;
    addOscillator(1, {page1, 16, 0});
    addOscillator(2, {page1, 400, 0});
    addFilter(1, x ? Origin{Pane::Upper, 16, 136} : Origin{Pane::FilterPage1, 8, 0});
    addFilter(2, x ? Origin{Pane::Upper, 400, 136} : Origin{Pane::FilterPage2, 8, 0});
    addEnvelope(1, x ? Origin{Pane::Upper, 16, 272} : Origin{Pane::EnvPage1, 8, 0});
    addEnvelope(2, x ? Origin{Pane::Upper, 400, 272} : Origin{Pane::EnvPage2, 8, 0});
    addEnvelope(3, {page2, x ? 784 : 16, x ? 272 : 136});
    // In the wide layout envelope 4 sits beside the lower area, so it moves with the same
    // paddings and spacings as the lower area does.
    const int lowerTop = 456 + frame.top + frame.topSpacing + frame.bottomSpacing;
    addEnvelope(4, x ? Origin{Pane::Window, 784 + frame.side, lowerTop} : Origin{Pane::UpperPage2, 400, 136});
    addLfo(1, {page2, x ? 784 : 16, 0});
    addLfo(2, {page2, x ? 976 : 208, 0});
    addLfo(3, {page2, x ? 784 : 400, x ? 136 : 0});
    addLfo(4, {page2, x ? 976 : 592, x ? 136 : 0});
}

// The waveform or type menu in a section's title row.
void LayoutBuilder::addTitleMenu(Origin o, LayoutRect rect, int tag, ParamMenuKind kind, int parameter)
{
    ControlSpec& menu = add(Widget::ParamMenu, o, rect, tag);
    menu.style = TextStyle::Main1Menu;
    menu.inset = kLabelInset;
    menu.menu = kind;
    menu.parameter = parameter;
}

void LayoutBuilder::addOscillator(int n, Origin o)
{
    const OscillatorParams& osc = kOscillatorParams[n - 1];
    addCaption(o, {0, 4, 56, 28}, n == 1 ? "OSC 1" : "OSC 2", TextStyle::Main1Title);
    addTitleMenu(o, {136, 4, 232, 28}, CommandTag::nth(CommandTag::Osc1Wave, n), ParamMenuKind::OscWave, osc.wave);
    add(Widget::IconMenu, o, {352, 4, 376, 28}, CommandTag::nth(CommandTag::Osc1Menu, n)).image = "MenuOptions";
    static const int xs[] = {8, 80, 152, 224, 296};
    const LabelledKnob knobs[] = {
        {osc.semi, "SEMI"}, {osc.fine, "FINE"}, {osc.detune, "DETUNE"}, {osc.sub, "SUB"}, {osc.volume, "VOLUME"}};
    static const char* const images[] = {"KnobMainBP", "KnobMainBP", "KnobMainCW", "KnobMainBP", "KnobMainCW"};
    for (int i = 0; i < 5; ++i)
        addKnobRow(o, &knobs[i], &xs[i], 1, images[i], -8, TextStyle::Main1Name, TextStyle::Main1Value);
}

void LayoutBuilder::addFilter(int n, Origin o)
{
    const FilterParams& filter = kFilterParams[n - 1];
    addCaption(o, {0, 4, 80, 28}, n == 1 ? "FILTER 1" : "FILTER 2", TextStyle::Main1Title);
    addTitleMenu(o, {136, 4, 232, 28}, CommandTag::nth(CommandTag::Filter1Type, n), ParamMenuKind::FilterType,
                 filter.type);
    add(Widget::IconMenu, o, {352, 4, 376, 28}, CommandTag::nth(CommandTag::Filter1Menu, n)).image = "MenuOptions";
    if (!frame.extended)
        add(Widget::KickButton, o, {328, 4, 352, 28}, CommandTag::nth(CommandTag::FilterNextPage, n)).image =
            n == 1 ? "ButtonPageNext" : "ButtonPagePrev";
    static const int xs[] = {56, 152, 248};
    const LabelledKnob knobs[] = {
        {filter.cutoff, "CUTOFF"}, {filter.resonance, "RESONANCE"}, {filter.keyTrack, "KEY TRACK"}};
    addKnobRow(o, knobs, xs, 3, "KnobMainCW", -8, TextStyle::Main1Name, TextStyle::Main1Value);
}

void LayoutBuilder::addEnvelope(int n, Origin o)
{
    static const char* const titles[] = {"ENV / AMP 1", "ENV / AMP 2", "ENV 3", "ENV 4"};
    const EnvelopeParams& envelope = kEnvelopeParams[n - 1];
    addCaption(o, {0, 4, 96, 28}, titles[n - 1], TextStyle::Main2Title);
    add(Widget::IconMenu, o, {352, 4, 376, 28}, CommandTag::nth(CommandTag::Env1Menu, n)).image = "MenuOptions";
    if (!frame.extended && n <= 2)
        add(Widget::KickButton, o, {328, 4, 352, 28}, CommandTag::nth(CommandTag::EnvelopeNextPage, n)).image =
            n == 1 ? "ButtonPageNext" : "ButtonPagePrev";
    static const int xs[] = {8, 80, 152, 224, 296};
    const LabelledKnob knobs[] = {{envelope.attack, "ATTACK"},
                                  {envelope.decay, "DECAY"},
                                  {envelope.sustain, "SUSTAIN"},
                                  {envelope.release, "RELEASE"},
                                  {envelope.velocity, "VEL SENS"}};
    addKnobRow(o, knobs, xs, 5, "KnobMainEnv", -8, TextStyle::Main2Name, TextStyle::Main2Value);
}

void LayoutBuilder::addLfo(int n, Origin o)
{
    static const char* const titles[] = {"LFO 1", "LFO 2", "LFO 3", "LFO 4"};
    const LfoParams& lfo = kLfoParams[n - 1];
    addCaption(o, {0, 4, 56, 28}, titles[n - 1], TextStyle::Main1Title);
    addTitleMenu(o, {64, 4, 152, 28}, CommandTag::nth(CommandTag::Lfo1Wave, n), ParamMenuKind::LfoWave, lfo.wave);
    add(Widget::IconMenu, o, {160, 4, 184, 28}, CommandTag::nth(CommandTag::Lfo1Menu, n)).image = "MenuOptions";
    static const int x = 8;
    const LabelledKnob rate{lfo.rate, "RATE"};
    addKnobRow(o, &rate, &x, 1, "KnobMainCW", -8, TextStyle::Main1Name, TextStyle::Main1Value);
    add(Widget::OnOffSwitch, o, {84, 44, 100, 60}, lfo.free).image = "SwitchOnOff";
    addCaption(o, {68, 64, 116, 80}, "FREE", TextStyle::Main3Name);
    add(Widget::OnOffSwitch, o, {84, 92, 100, 108}, lfo.sync).image = "SwitchOnOff";
    addCaption(o, {68, 112, 116, 128}, "SYNC", TextStyle::Main3Name);
    addValue(o, {120, 40, 168, 64}, lfo.phase, TextStyle::Main3Value, kLfoValueInset);
    addCaption(o, {120, 64, 168, 80}, "PHASE", TextStyle::Main3Name);
    addValue(o, {120, 88, 168, 112}, lfo.offset, TextStyle::Main3Value, kLfoValueInset);
    addCaption(o, {120, 112, 168, 128}, "OFFSET", TextStyle::Main3Name);
}

void LayoutBuilder::addLowerPages()
{
    addModulationPage(1);
    addModulationPage(2);
    addOscillatorPage();
    addPlayPage();
    addEffectsPage();
}

void LayoutBuilder::addModulationPage(int page)
{
    const Origin o{page == 1 ? Pane::LowerPage1 : Pane::LowerPage2, 0, 0};
    addCaption(o, {16, 8, 200, 32}, page == 1 ? "MOD MATRIX 1" : "MOD MATRIX 2", TextStyle::Sub1Title);
    for (int k = 1; k <= 12; ++k) {
        const int slot = 12 * (page - 1) + k;
        const int x = 24 + 240 * ((k - 1) / 4), y = 40 + 24 * ((k - 1) % 4);
        addCaption(o, {x + 16, y, x + 32, y + 24}, kSlotNumbers[slot - 1], TextStyle::Sub1Value);
        ControlSpec& source = add(Widget::ParamMenu, o, {x + 32, y, x + 104, y + 24}, CommandTag::modSource(slot));
        source.style = TextStyle::Sub1Name;
        source.menu = ParamMenuKind::ModSource;
        source.parameter = Param::modSource(slot);
        source.entriesPerColumn = 6;
        addValue(o, {x + 104, y, x + 152, y + 24}, Param::modAmount(slot), TextStyle::Sub1Value);
        ControlSpec& target = add(Widget::ParamMenu, o, {x + 152, y, x + 240, y + 24}, CommandTag::modTarget(slot));
        target.style = TextStyle::Sub1Name;
        target.menu = ParamMenuKind::ModTarget;
        target.parameter = Param::modTarget(slot);
        target.entriesPerColumn = 8;
    }
}

namespace {

// A row of a lower page: a name and a value text for a parameter.
struct NamedValue {
    const char* name;
    int parameter;
};
// The same for a role of both oscillators.
struct NamedOscillatorValue {
    const char* name;
    int OscillatorParams::*role;
};

} // namespace

void LayoutBuilder::addOscillatorPage()
{
    const Origin o{Pane::LowerPage3, 0, 0};
    for (int n = 1; n <= 2; ++n) {
        const int dx = 384 * (n - 1);
        addCaption(o, {16 + dx, 8, 72 + dx, 32}, n == 1 ? "OSC 1" : "OSC 2", TextStyle::Sub1Title);
        const OscillatorParams& osc = kOscillatorParams[n - 1];
        static const NamedOscillatorValue first[] = {{"Pulse Width", &OscillatorParams::pulseWidth},
                                                     {"Detune Voices", &OscillatorParams::detuneVoices},
                                                     {"Detune Spread", &OscillatorParams::detuneSpread},
                                                     {"Detune Mix", &OscillatorParams::detuneMix}};
        static const NamedOscillatorValue second[] = {{"Pan", &OscillatorParams::pan},
                                                      {"Phase", &OscillatorParams::phase},
                                                      {"Sub Alt Semi", &OscillatorParams::subSemi},
                                                      {"Sub Alt Fine", &OscillatorParams::subFine}};
        for (int row = 0; row < 4; ++row) {
            const int y = 40 + 24 * row;
            addCaption(o, {40 + dx, y, 136 + dx, y + 24}, first[row].name, TextStyle::Sub1Name);
            addValue(o, {136 + dx, y, 192 + dx, y + 24}, osc.*first[row].role, TextStyle::Sub1Value);
            addCaption(o, {208 + dx, y, 296 + dx, y + 24}, second[row].name, TextStyle::Sub1Name);
            addValue(o, {296 + dx, y, 368 + dx, y + 24}, osc.*second[row].role, TextStyle::Sub1Value);
        }
    }
}

void LayoutBuilder::addPlayPage()
{
    const Origin o{Pane::LowerPage4, 0, 0};
    addCaption(o, {16, 8, 72, 32}, "PLAY", TextStyle::Sub1Title);
    addCaption(o, {400, 8, 600, 32}, "ROUTING", TextStyle::Sub1Title);
    addCaption(o, {632, 8, 728, 32}, "MIDI LEARN", TextStyle::Sub1Title);
    static const NamedValue first[] = {{"Tuning", Param::Tuning},
                                       {"Key Split", Param::KeySplit},
                                       {"Polyphony", Param::Poly},
                                       {"Glide Time", Param::GldAmt}};
    for (int row = 0; row < 4; ++row) {
        const int y = 40 + 24 * row;
        addCaption(o, {40, y, 128, y + 24}, first[row].name, TextStyle::Sub1Name);
        addValue(o, {128, y, 200, y + 24}, first[row].parameter, TextStyle::Sub1Value);
    }
    addCaption(o, {208, 40, 296, 64}, "PBend Up", TextStyle::Sub1Name);
    addValue(o, {296, 40, 368, 64}, Param::PBRange, TextStyle::Sub1Value);
    addCaption(o, {208, 64, 296, 88}, "PBend Down", TextStyle::Sub1Name);
    addValue(o, {296, 64, 368, 88}, Param::PBRange2, TextStyle::Sub1Value);
    for (int n = 1; n <= 2; ++n) {
        const int y = 64 + 24 * n;
        addCaption(o, {208, y, 296, y + 24}, n == 1 ? "Mod CC 1" : "Mod CC 2", TextStyle::Sub1Name);
        ControlSpec& text =
            add(Widget::StatusText, o, {296, y, 368, y + 24}, CommandTag::nth(CommandTag::ModCc1Chooser, n));
        text.style = TextStyle::Sub1Value;
        text.index = kModCc1Text + n - 1;
        add(Widget::HiddenKnob, o, {296, y, 368, y + 24}, CommandTag::nth(CommandTag::ModCc1Chooser, n));
    }
    add(Widget::RoutingDiagram, o, {400, 40, 616, 112}, Param::OscRoute).image = "MovieOscRouting";
    add(Widget::RoutingSelector, o, {440, 112, 560, 136}, Param::OscRoute).image = "SwitchOscRouting";
    add(Widget::OnOffSwitch, o, {732, 12, 748, 28}, CommandTag::None).image = "SwitchOnOff";
    addCaption(o, {632, 40, 752, 64}, "Selected Control", TextStyle::Sub1Name);
    ControlSpec& selected = add(Widget::StatusText, o, {632, 64, 752, 88}, CommandTag::None);
    selected.style = TextStyle::Sub1Value;
    selected.index = kSelectedControlText;
    addCaption(o, {632, 88, 752, 112}, "Assigned CC", TextStyle::Sub1Name);
    add(Widget::ClickableText, o, {632, 112, 752, 136}, CommandTag::AssignedCc).style = TextStyle::Sub1Value;
}

void LayoutBuilder::addEffectsPage()
{
    const Origin o{Pane::LowerPage5, 0, 0};
    addCaption(o, {16, 8, 96, 32}, "DELAY", TextStyle::Sub1Title);
    addCaption(o, {400, 8, 480, 32}, "REVERB", TextStyle::Sub1Title);
    auto valueRow = [&](int nameLeft, int valueLeft, int valueRight, int y, const char* name, int parameter) {
        addCaption(o, {nameLeft, y, valueLeft, y + 24}, name, TextStyle::Sub1Name);
        addValue(o, {valueLeft, y, valueRight, y + 24}, parameter, TextStyle::Sub1Value);
    };
    auto switchRow = [&](int nameLeft, int switchLeft, int y, const char* name, int parameter) {
        addCaption(o, {nameLeft, y, nameLeft + 88, y + 24}, name, TextStyle::Sub1Name);
        add(Widget::OnOffSwitch, o, {switchLeft, y + 4, switchLeft + 16, y + 20}, parameter).image = "SwitchOnOffSub";
    };
    valueRow(40, 128, 200, 40, "Delay Mix", Param::DlyMix);
    valueRow(40, 128, 200, 64, "Delay Time", Param::DlyTime);
    valueRow(40, 128, 200, 88, "Filter Cutoff", Param::DlyCut);
    valueRow(40, 128, 200, 112, "Feedback", Param::DlyFBack);
    switchRow(208, 324, 40, "Amp 1 Only", Param::DlyAmp1);
    switchRow(208, 324, 64, "Tempo Sync", Param::DlySync);
    switchRow(208, 324, 88, "Use LP", Param::DlyLP);
    valueRow(208, 296, 368, 112, "Stereo Width", Param::DlyWidth);
    valueRow(424, 512, 584, 40, "Reverb Mix", Param::RvbMix);
    valueRow(424, 512, 584, 64, "Pre Delay", Param::RvbPrDly);
    valueRow(424, 512, 584, 88, "Room Size", Param::RvbSize);
    valueRow(424, 512, 584, 112, "Damping", Param::RvbDamp);
    switchRow(592, 708, 40, "Amp 1 Only", Param::RvbAmp1);
    switchRow(592, 708, 64, "Tempo Sync", Param::RvbSync);
    valueRow(592, 680, 752, 88, "Density", Param::RvbDens);
    valueRow(592, 680, 752, 112, "Stereo Width", Param::RvbWidth);
}
