// Fills the control list of one layout: the header, the sound sections and the lower pages.
#pragma once

#include "editor/EditorLayout.h"

class LayoutBuilder {
public:
    explicit LayoutBuilder(const LayoutFrame& layout) : frame(layout) {}

    void addHeader();
    void addSections();
    void addLowerPages();
    std::vector<ControlSpec> take() { return std::move(controls); }

private:
    struct Origin {
        Pane pane;
        int x, y;
    };
    struct LabelledKnob {
        int parameter;
        const char* name;
    };

    ControlSpec& add(Widget widget, Pane pane, LayoutRect rect, int tag);
    ControlSpec& add(Widget widget, Origin o, LayoutRect rect, int tag);
    // A value display with an invisible knob on top, both bound to parameter.
    void addValue(Origin o, LayoutRect rect, int parameter, TextStyle style, int inset = 0);
    void addCaption(Origin o, LayoutRect rect, const char* text, TextStyle style, int inset = 0);
    // Knobs at y 40..104 with active labels 80 wide below them at labelOffset from the knob.
    void addKnobRow(Origin o, const LabelledKnob* knobs, const int* xs, int count, const char* image, int labelOffset,
                    TextStyle name, TextStyle value);

    void addTitleMenu(Origin o, LayoutRect rect, int tag, ParamMenuKind kind, int parameter);
    void addOscillator(int n, Origin o);
    void addFilter(int n, Origin o);
    void addEnvelope(int n, Origin o);
    void addLfo(int n, Origin o);
    void addModulationPage(int page);
    void addOscillatorPage();
    void addPlayPage();
    void addEffectsPage();

    LayoutFrame frame;
    std::vector<ControlSpec> controls;
};
