// The commands of the editor's own controls (CommandTag): program steps, the name field, the
// header and section menus, the matrix menus and the MIDI-learn controls.
#pragma once

class CommandHost;

// Carries out one command; value is the control's value (a menu's chosen position). The caller
// passes only commands that arrive while the editor window is open.
void handleEditorCommand(CommandHost& host, int tag, float value);
