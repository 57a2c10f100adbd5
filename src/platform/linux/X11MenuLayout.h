// The pop-up menu's layout in pixels; the tests use it to aim at entries.
#pragma once

namespace native {

constexpr int kMenuBorder = 2;
constexpr int kMenuRowHeight = 22;
constexpr int kMenuSeparatorHeight = 9;
constexpr int kMenuFontSize = 13;

} // namespace native
