// X errors on our own connections are recorded instead of ending the process (Xlib's default);
// errors on the host's connections still reach the handler that was installed before ours.
#pragma once

#include <X11/Xlib.h>

namespace native {

void trapErrorsOn(Display* display);
void stopTrappingErrorsOn(Display* display);
// The last error code recorded for display since the previous call (0: none), after a sync.
int takeTrappedError(Display* display);

} // namespace native
