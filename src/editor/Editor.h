// The plug-in's editor. Its window cannot open yet, so it only keeps the open state that gates
// value forwarding and the command channel.
#pragma once

#include "vst/AEffEditor.h"

#include <string>

class Editor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;

    bool open(void* /*parentWindow*/) override { return false; }
    bool isOpen() const override { return standInOpen || AEffEditor::isOpen(); }

    // A control follows a parameter change made elsewhere.
    void setParameter(int /*index*/, float /*value*/) {}

    // The system window, owner of message boxes and dialogs; null while closed.
    void* windowHandle() const { return systemWindow; }
    // The text of the program name field, read when the field reports an edit.
    const std::string& programNameText() const { return nameFieldText; }
    void setProgramNameText(const std::string& text) { nameFieldText = text; }

    // Tests stand in for an open window with this.
    void setOpenForTesting(bool open) { standInOpen = open; }

private:
    bool standInOpen = false;
    std::string nameFieldText;
};
