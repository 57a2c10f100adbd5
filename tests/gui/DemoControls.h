// A panel with a few controls of each kind, drawn from images made in memory: the test
// plug-in's editor shows it, and the headless tests render it.
#pragma once

#include "gui/CViewContainer.h"

class CControlListener;

constexpr int kDemoWidth = 480;
constexpr int kDemoHeight = 300;

// Where the tests find things (frame coordinates).
constexpr CRect kDemoKnobRect(20, 40, 68, 88);
constexpr CRect kDemoMenuRect(300, 40, 420, 60);
constexpr CRect kDemoSwitchRect(120, 40, 136, 56);

CViewContainer* buildDemoControls(CControlListener* listener);
