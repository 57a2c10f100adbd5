#pragma once

// The release suite runs every sweep in full; under a sanitizer, where each instruction costs
// many times more and the sweeps look for memory and thread faults rather than for a wrong
// sample, the long ones take a shorter course.
#if defined(MORVELLINE_SANITIZED)
inline constexpr bool kShortSweeps = true;
#else
inline constexpr bool kShortSweeps = false;
#endif
