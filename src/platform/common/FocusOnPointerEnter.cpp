#include "platform/NativeWindow.h"

#include <atomic>

namespace native {

namespace {
std::atomic<bool> focusFollowsPointer{false};
}

void setFocusOnPointerEnter(bool enabled)
{
    focusFollowsPointer.store(enabled, std::memory_order_relaxed);
}

bool focusOnPointerEnter()
{
    return focusFollowsPointer.load(std::memory_order_relaxed);
}

} // namespace native
