// The plug-in's editor. Its window cannot open yet, so it only keeps the open state that gates
// value forwarding and the command channel.
#pragma once

#include "vst/AEffEditor.h"

class Editor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;

    bool open(void* /*parentWindow*/) override { return false; }

    // A control follows a parameter change made elsewhere.
    void setParameter(int /*index*/, float /*value*/) {}
};
