// What a test is doing right now, kept where the parent process can read it: when the plug-in
// crashes or hangs, the failure line names the call that did it.
#pragma once

#include <string>

void noteStep(const std::string& step);
