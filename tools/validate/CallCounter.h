// Counts what the plug-in asks of the system inside its real-time calls: allocations, frees and
// blocking locks. Works where the validator can interpose those functions (Linux, without a
// sanitizer); elsewhere `available()` is false and nothing is counted.
#pragma once

#include <string>

namespace callcounter {

bool available();
void reset();
// A readable list of what was counted, empty when nothing was.
std::string report();
long total();

} // namespace callcounter

// Counts on this thread while alive (when `active`).
class CountedCalls {
public:
    explicit CountedCalls(bool active);
    ~CountedCalls();
    CountedCalls(const CountedCalls&) = delete;
    CountedCalls& operator=(const CountedCalls&) = delete;

private:
    bool active;
};
