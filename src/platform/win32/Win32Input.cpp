#include "Win32Input.h"

#include <cctype>

namespace {

// VstVirtualKey numbers as hosts send them (Windows calls page down VK_NEXT).
struct KeyCode {
    WPARAM windowsKey;
    int vstKey;
};

const KeyCode keyCodes[] = {
    {VK_BACK, 1},  {VK_TAB, 2},     {VK_CLEAR, 3},  {VK_RETURN, 4},    {VK_PAUSE, 5},   {VK_ESCAPE, 6},  {VK_SPACE, 7},
    {VK_END, 9},   {VK_HOME, 10},   {VK_LEFT, 11},  {VK_UP, 12},       {VK_RIGHT, 13},  {VK_DOWN, 14},   {VK_PRIOR, 15},
    {VK_NEXT, 16}, {VK_SELECT, 17}, {VK_PRINT, 18}, {VK_SNAPSHOT, 20}, {VK_INSERT, 21}, {VK_DELETE, 22}, {VK_HELP, 23},
};

bool held(int key)
{
    return (GetKeyState(key) & 0x8000) != 0;
}

} // namespace

unsigned currentModifiers()
{
    unsigned flags = 0;
    if (held(VK_SHIFT))
        flags |= native::kShiftKey;
    if (held(VK_CONTROL))
        flags |= native::kControlKey;
    if (held(VK_MENU))
        flags |= native::kAltKey;
    return flags;
}

unsigned mouseFlags(UINT message, WPARAM wParam)
{
    unsigned flags = 0;
    if (wParam & MK_LBUTTON)
        flags |= native::kLeftButton;
    if (wParam & MK_MBUTTON)
        flags |= native::kMiddleButton;
    if (wParam & MK_RBUTTON)
        flags |= native::kRightButton;
    if (wParam & MK_SHIFT)
        flags |= native::kShiftKey;
    if (wParam & MK_CONTROL)
        flags |= native::kControlKey;
    if (held(VK_MENU))
        flags |= native::kAltKey;
    switch (message) {
    case WM_LBUTTONDBLCLK:
        flags |= native::kDoubleClick;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        flags |= native::kLeftButton;
        break;
    case WM_RBUTTONDBLCLK:
        flags |= native::kDoubleClick;
        [[fallthrough]];
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        flags |= native::kRightButton;
        break;
    case WM_MBUTTONDBLCLK:
        flags |= native::kDoubleClick;
        [[fallthrough]];
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        flags |= native::kMiddleButton;
        break;
    default:
        break;
    }
    return flags;
}

bool translateKey(WPARAM virtualKey, native::KeyEvent& key)
{
    key = {};
    key.modifiers = currentModifiers();
    for (const KeyCode& code : keyCodes)
        if (code.windowsKey == virtualKey) {
            key.virtualKey = code.vstKey;
            if (virtualKey == VK_SPACE)
                key.character = ' ';
            return true;
        }
    UINT character = MapVirtualKeyW(UINT(virtualKey), MAPVK_VK_TO_CHAR) & 0x7fffffff;
    if (character == 0 || character > 0xff)
        return false;
    key.character = std::tolower(int(character));
    return true;
}
