// A text buffer of the interface's length followed by canary bytes: a plug-in that writes past
// the limit, or leaves no terminator inside it, is caught instead of silently corrupting the
// host's memory.
#pragma once

#include "ValidatorTest.h"

#include <cstring>
#include <string>
#include <vector>

class GuardedText {
public:
    explicit GuardedText(size_t size) : limit(size), bytes(size + kCanaryBytes, kCanary)
    {
        std::memset(bytes.data(), 0, limit);
    }

    char* data() { return bytes.data(); }

    // The text the plug-in wrote; fails naming `what` when it broke the buffer.
    std::string checked(const std::string& what) const
    {
        for (size_t i = limit; i < bytes.size(); ++i)
            if (bytes[i] != kCanary)
                fail(what + " wrote past its " + std::to_string(limit) + "-byte buffer (" +
                     std::to_string(writtenLength()) + " bytes written)");
        if (!std::memchr(bytes.data(), 0, limit))
            fail(what + " left no terminator in its " + std::to_string(limit) + "-byte buffer");
        return std::string(bytes.data());
    }

private:
    size_t writtenLength() const
    {
        size_t end = bytes.size();
        while (end > limit && bytes[end - 1] == kCanary)
            --end;
        return end;
    }

    static constexpr size_t kCanaryBytes = 64;
    static constexpr char kCanary = char(0xA5);
    size_t limit;
    std::vector<char> bytes;
};

// Buffer sizes, terminator included. Parameter texts are nominally 8 bytes, but plug-ins write
// up to 24 and hosts give at least that much; 24 is what a host can rely on.
constexpr size_t kParamTextLimit = 24;
constexpr size_t kProgramNameLimit = 24;
constexpr size_t kEffectNameLimit = 32;
constexpr size_t kVendorTextLimit = 64;
