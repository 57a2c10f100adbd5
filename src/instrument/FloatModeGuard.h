// Flush-to-zero and denormals-are-zero for the length of one process call. Decaying tails
// (filters, envelopes, reverb) would otherwise pass through denormal values, which cost the
// processor up to a hundred times more per operation. The host's own control word is put back
// on return, since the host's other code on this thread may rely on it.
#pragma once

#if defined(__SSE__) || defined(_M_X64) || defined(__x86_64__)
#include <xmmintrin.h>
#define MORVELLINE_HAS_MXCSR 1
#endif

class FloatModeGuard {
public:
#ifdef MORVELLINE_HAS_MXCSR
    // Bit 15 flushes denormal results to zero, bit 6 reads denormal inputs as zero.
    static constexpr unsigned kFlushBits = 0x8040u;

    FloatModeGuard() : saved(_mm_getcsr())
    {
        _mm_setcsr(saved | kFlushBits);
    }
    ~FloatModeGuard()
    {
        _mm_setcsr(saved);
    }

private:
    unsigned saved;
#else
    FloatModeGuard() = default;
#endif

public:
    FloatModeGuard(const FloatModeGuard&) = delete;
    FloatModeGuard& operator=(const FloatModeGuard&) = delete;
};
