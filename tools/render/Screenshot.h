// Opens a plug-in's editor in a window of the size it reports, lets it draw and saves the window.
#pragma once

#include <string>

class HostedPlugin;

// Throws HostError with a clear reason: no editor, no display, a refused open, a failed write.
void takeEditorScreenshot(HostedPlugin& host, const std::string& pngPath);
