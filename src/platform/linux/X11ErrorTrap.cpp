#include "X11ErrorTrap.h"

#include <map>
#include <mutex>

namespace native {

namespace {

std::mutex lock;
std::map<Display*, int> trapped; // display -> last error code
XErrorHandler previous = nullptr;
bool installed = false;

int onError(Display* display, XErrorEvent* event)
{
    XErrorHandler chain = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        auto found = trapped.find(display);
        if (found != trapped.end()) {
            found->second = event->error_code;
            return 0;
        }
        chain = previous;
    }
    return chain ? chain(display, event) : 0;
}

} // namespace

void trapErrorsOn(Display* display)
{
    std::lock_guard<std::mutex> hold(lock);
    trapped[display] = 0;
    if (!installed) {
        previous = XSetErrorHandler(onError);
        installed = true;
    }
}

void stopTrappingErrorsOn(Display* display)
{
    std::lock_guard<std::mutex> hold(lock);
    trapped.erase(display);
    if (trapped.empty() && installed) {
        // Give the handler back only when nobody installed another one after us.
        XErrorHandler current = XSetErrorHandler(previous);
        if (current != onError)
            XSetErrorHandler(current);
        installed = false;
        previous = nullptr;
    }
}

int takeTrappedError(Display* display)
{
    XSync(display, False);
    std::lock_guard<std::mutex> hold(lock);
    auto found = trapped.find(display);
    if (found == trapped.end())
        return 0;
    int code = found->second;
    found->second = 0;
    return code;
}

} // namespace native
