// Building the editor's view tree from the layout tables.
#include "editor/ActiveLabel.h"
#include "editor/CodedParamMenu.h"
#include "editor/Editor.h"
#include "editor/EditorHost.h"
#include "editor/EditorImages.h"
#include "editor/HeaderMenus.h"
#include "editor/KnobDefaults.h"
#include "editor/OnOffDisplay.h"
#include "editor/ParamDisplay.h"
#include "editor/ParamEdit.h"
#include "editor/ParamKnob.h"
#include "editor/ParamLabel.h"
#include "editor/SectionMenus.h"
#include "editor/TextStyling.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CKickButton.h"
#include "gui/CMovieBitmap.h"
#include "gui/COnOffButton.h"
#include "gui/CTabView.h"
#include "params/CommandTags.h"
#include "params/ProgramStore.h"
#include "platform/NativeWindow.h"
#include "presets/MidiLearnCommands.h"
#include "settings/UserSettings.h"

#include <algorithm>

namespace {

constexpr int kRoutingPositions = 5;

CRect toCRect(const LayoutRect& r)
{
    return CRect(r.left, r.top, r.right, r.bottom);
}

CodeKind codeKindOf(ParamMenuKind kind)
{
    switch (kind) {
    case ParamMenuKind::OscWave:
        return CodeKind::OscWave;
    case ParamMenuKind::FilterType:
        return CodeKind::FilterType;
    case ParamMenuKind::LfoWave:
        return CodeKind::LfoWave;
    case ParamMenuKind::ModSource:
        return CodeKind::ModSource;
    default:
        return CodeKind::ModTarget;
    }
}

// Frame height of an image strip of count frames; the layout's height when the image is missing.
CCoord frameHeight(const CBitmap* bitmap, long count, CCoord fallback)
{
    return bitmap && bitmap->getHeight() > 0 ? bitmap->getHeight() / count : fallback;
}

} // namespace

LayoutFrame Editor::currentLayoutFrame() const
{
    const ThemeStyle& theme = host.userSettings().themeStyle;
    LayoutFrame layout;
    layout.extended = theme.extendedTheme;
    // Theme.txt keeps these in range; a style set any other way must not overflow either.
    auto pixels = [](int units) { return 8 * std::clamp(units, 0, kMaxThemePadding); };
    layout.side = pixels(theme.sidePadding);
    layout.top = pixels(theme.topPadding);
    layout.bottom = pixels(theme.bottomPadding);
    layout.topSpacing = pixels(theme.topSpacing);
    layout.bottomSpacing = pixels(theme.bottomSpacing);
    return layout;
}

ERect Editor::rectForNextOpen()
{
    const UserSettings& settings = host.userSettings();
    const LayoutFrame layout = currentLayoutFrame();
    const double g = layoutScale(settings.scale);
    return ERect{0, 0, int16_t(scaled(layoutHeight(layout), g)), int16_t(scaled(layoutWidth(layout), g))};
}

void Editor::prepareTheme()
{
    UserSettings& settings = host.userSettings();
    settings.loadSettings();
    native::setFocusOnPointerEnter(settings.enableMouseWheel);
    const ThemeStyle& theme = settings.themeStyle;
    extended = theme.extendedTheme;
    layoutFactor = layoutScale(settings.scale);
    bitmapFactor = bitmapScale(settings.scale, theme.themeScale);
    const ElementStyle* byRole[kNumTextStyles] = {
        &theme.main1Title, &theme.main1Menu,  &theme.main1Name, &theme.main1Value,   &theme.main2Title,
        &theme.main2Name,  &theme.main2Value, &theme.main3Name, &theme.main3Value,   &theme.sub1Title,
        &theme.sub1Name,   &theme.sub1Value,  &theme.masterVol, &theme.presetNumber, &theme.presetName};
    for (int i = 0; i < kNumTextStyles; ++i)
        styles[size_t(i)] = scaledStyle(*byRole[i], layoutFactor);
    images = std::make_unique<EditorImages>(settings, extended, bitmapFactor);
}

const ElementStyle& Editor::style(TextStyle which) const
{
    static const ElementStyle none{};
    return which == TextStyle::None ? none : styles[size_t(which)];
}

bool Editor::build(void* parentWindow)
{
    prepareTheme();
    const LayoutFrame layout = currentLayoutFrame();
    const double g = layoutFactor;
    const CRect size(0, 0, scaled(layoutWidth(layout), g), scaled(layoutHeight(layout), g));
    rect = ERect{0, 0, int16_t(size.bottom), int16_t(size.right)};
    frame = new CFrame(size, parentWindow, this);
    if (parentWindow && !frame->hasWindow()) {
        frame->forget();
        frame = nullptr;
        images.reset();
        return false;
    }
    frame->setBackgroundColor(toColor(host.userSettings().themeStyle.mainBackColor));
    buildPanes(layout);
    for (const ControlSpec& placement : layoutControls(layout))
        buildControl(placement);
    selectRememberedPages();
    setInitialValues();
    images.reset();
    return true;
}

void Editor::buildPanes(const LayoutFrame& layout)
{
    const double g = layoutFactor;
    for (const PaneSpec& pane : layoutPanes(layout)) {
        const CRect r = toCRect(scaledRect(pane.rect, g));
        CViewContainer* view = nullptr;
        if (pane.kind == PaneKind::TabView) {
            CTabPosition row = pane.tabRow == TabRow::Top      ? kPositionTop
                               : pane.tabRow == TabRow::Bottom ? kPositionBottom
                                                               : kPositionNone;
            auto* tabs = new CTabView(r, nullptr, row, scaled(kTabRowHeight, g));
            tabs->setTransparency(true);
            int role = pane.pane == Pane::UpperTabs    ? kUpperTabs
                       : pane.pane == Pane::FilterTabs ? kFilterTabs
                       : pane.pane == Pane::EnvTabs    ? kEnvTabs
                                                       : kLowerTabs;
            tabViews[size_t(role)] = tabs;
            view = tabs;
        } else {
            view = new CViewContainer(r, images->get(pane.image));
            view->setTransparency(true);
        }
        paneViews[size_t(pane.pane)] = view;
        if (pane.pane == Pane::Window) {
            frame->addView(view);
        } else if (pane.kind == PaneKind::Page) {
            auto* tabs = static_cast<CTabView*>(paneViews[size_t(pane.parent)]);
            tabs->addTab(view, images->get(pane.tabImage));
        } else {
            paneViews[size_t(pane.parent)]->addView(view);
        }
    }
}

void Editor::buildControl(const ControlSpec& placement)
{
    const CRect r = toCRect(scaledRect(placement.rect, layoutFactor, placement.inset));
    CView* view = createControl(placement, r);
    if (view)
        paneViews[size_t(placement.pane)]->addView(view);
}

void Editor::bindToParameter(CControl* control, int index)
{
    if (index >= 0 && index < kNumParams)
        parameterControls[size_t(index)].push_back(control);
}

CView* Editor::createControl(const ControlSpec& placement, const CRect& r)
{
    ProgramStore& programs = host.programStore();
    switch (placement.widget) {
    case Widget::Knob:
    case Widget::HiddenKnob: {
        CBitmap* strip = placement.widget == Widget::Knob ? images->get(placement.image) : nullptr;
        auto* knob = new ParamKnob(r, this, this, placement.tag, strip);
        knob->setDefaultValue(knobDefaultValue(placement.tag));
        bindToParameter(knob, placement.tag);
        if (int chooser = CommandTag::instanceOf(placement.tag, CommandTag::ModCc1Chooser, 2))
            modCcKnobs[size_t(chooser - 1)] = knob;
        return knob;
    }
    case Widget::ValueDisplay: {
        auto* display = new ParamDisplay(r, style(placement.style), placement.tag);
        displayBindings[size_t(placement.tag)] = {this, placement.tag};
        display->setValueToStringProc(&Editor::displayTextProc, &displayBindings[size_t(placement.tag)]);
        bindToParameter(display, placement.tag);
        int linked = kParamTable[placement.tag].linkedIndex;
        if (linked >= 0)
            dependentTexts[size_t(linked)].push_back(display);
        return display;
    }
    case Widget::ActiveLabel: {
        auto* label =
            new ActiveLabel(r, placement.text, style(placement.style), style(placement.valueStyle), placement.tag);
        activeLabels.push_back(label);
        int linked = kParamTable[placement.tag].linkedIndex;
        if (linked >= 0)
            dependentTexts[size_t(linked)].push_back(label);
        return label;
    }
    case Widget::Caption:
        return new ParamLabel(r, style(placement.style), placement.text ? placement.text : "", nullptr, placement.tag);
    case Widget::StatusText: {
        auto* text = new ParamLabel(r, style(placement.style), "", nullptr, placement.tag);
        statusTexts[size_t(placement.index)] = text;
        return text;
    }
    case Widget::ClickableText:
        assignedCcText = new ParamLabel(r, style(placement.style), "", &host, placement.tag);
        return assignedCcText;
    case Widget::ParamMenu: {
        auto* menu = new CodedParamMenu(r, this, placement.tag, style(placement.style), programs,
                                        codeKindOf(placement.menu), placement.parameter);
        menu->setNbItemsPerColumn(placement.entriesPerColumn);
        bindToParameter(menu, placement.parameter);
        return menu;
    }
    case Widget::IconMenu:
        return createIconMenu(placement, r);
    case Widget::OnOffSwitch: {
        auto* button = new COnOffButton(r, this, placement.tag, images->get(placement.image));
        if (placement.tag == CommandTag::None)
            learnSwitch = button;
        bindToParameter(button, placement.tag);
        return button;
    }
    case Widget::KickButton:
        return new CKickButton(r, this, placement.tag, images->get(placement.image));
    case Widget::NameField:
        nameField = new ParamEdit(r, this, placement.tag, style(placement.style));
        nameField->setMaxLength(kProgramNameSize - 1);
        return nameField;
    case Widget::NoteLamp: {
        CBitmap* image = images->get(placement.image);
        noteLamp = new CMovieBitmap(r, this, placement.tag, 2, frameHeight(image, 2, r.height()), image);
        return noteLamp;
    }
    case Widget::VoiceLamp: {
        const ThemeStyle& theme = host.userSettings().themeStyle;
        auto* lamp = new OnOffDisplay(r, toColor(theme.voiceIndicatorOnColor), toColor(theme.voiceIndicatorOffColor),
                                      placement.tag);
        voiceLamps[size_t(placement.index)] = lamp;
        return lamp;
    }
    case Widget::RoutingDiagram: {
        CBitmap* image = images->get(placement.image);
        auto* movie = new CMovieBitmap(r, this, placement.tag, kRoutingPositions,
                                       frameHeight(image, kRoutingPositions, scaled(72, layoutFactor)), image);
        bindToParameter(movie, placement.tag);
        return movie;
    }
    case Widget::RoutingSelector: {
        CBitmap* image = images->get(placement.image);
        auto* selector =
            new CHorizontalSwitch(r, this, placement.tag, kRoutingPositions,
                                  frameHeight(image, kRoutingPositions, r.height()), kRoutingPositions, image);
        bindToParameter(selector, placement.tag);
        return selector;
    }
    }
    return nullptr;
}

CView* Editor::createIconMenu(const ControlSpec& placement, const CRect& r)
{
    ProgramStore& programs = host.programStore();
    UserSettings& settings = host.userSettings();
    CBitmap* icon = images->get(placement.image);
    switch (placement.tag) {
    case CommandTag::ScaleMenu:
        return new ScaleMenu(r, this, programs, settings, icon);
    case CommandTag::OptionsMenu:
        return new ConfigMenu(r, this, programs, settings, icon, [this] { return historyMenuState(); });
    case CommandTag::BankMenu:
        return new BankMenu(r, this, programs, settings, icon);
    case CommandTag::ProgramMenu:
        return new PresetMenu(r, this, programs, icon);
    case CommandTag::Osc1Menu:
    case CommandTag::Osc2Menu:
        return new OscMenu(r, this, CommandTag::instanceOf(placement.tag, CommandTag::Osc1Menu, 2), programs, icon);
    default:
        return new SectionMenu(r, this, placement.tag, programs, icon);
    }
}

void Editor::selectRememberedPages()
{
    const UserSettings& settings = host.userSettings();
    auto select = [](CTabView* tabs, int page) {
        if (tabs && !tabs->selectTab(page) && tabs->getCurrentSelectedTab() < 0)
            tabs->selectTab(0);
    };
    if (!extended) {
        select(tabViews[kUpperTabs], settings.pageState[0]);
        select(tabViews[kFilterTabs], settings.pageState[3]);
        select(tabViews[kEnvTabs], settings.pageState[4]);
    }
    select(tabViews[kLowerTabs], settings.pageState[1]);
}

void Editor::setInitialValues()
{
    const ProgramRecord& program = host.programStore().current();
    for (int index = 0; index < kNumParams; ++index) {
        float value = program.get(index);
        for (CControl* control : parameterControls[size_t(index)]) {
            if (auto* menu = dynamic_cast<CodedParamMenu*>(control))
                menu->showStoredValue(value);
            else
                control->setValue(value);
        }
    }
    const UserSettings& settings = host.userSettings();
    for (int n = 0; n < 2; ++n)
        if (modCcKnobs[size_t(n)]) {
            modCcKnobs[size_t(n)]->setValue(modControllerChooserValue(settings.midiMap.modCcNumber[n].load()));
        }
    if (learnSwitch)
        learnSwitch->setValue(settings.midiMap.learnActive.load() ? 1.0f : 0.0f);
    updateProgramTexts();
}
