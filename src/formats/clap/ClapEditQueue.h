// The editor's parameter edits and gestures on their way from the user-interface thread to the
// host, which takes them from the audio thread or from a flush: one writer, one reader, no locks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

struct ClapEdit {
    enum Kind : uint8_t { Value, GestureBegin, GestureEnd } kind = Value;
    int index = 0;
    float value = 0.0f;
};

class ClapEditQueue {
public:
    // False when full: the edit is not reported (the value itself is already stored).
    bool push(const ClapEdit& edit)
    {
        const uint32_t tail = written.load(std::memory_order_relaxed);
        if (tail - taken.load(std::memory_order_acquire) >= kCapacity)
            return false;
        slots[tail % kCapacity] = edit;
        written.store(tail + 1, std::memory_order_release);
        return true;
    }
    bool pop(ClapEdit& edit)
    {
        const uint32_t head = taken.load(std::memory_order_relaxed);
        if (head == written.load(std::memory_order_acquire))
            return false;
        edit = slots[head % kCapacity];
        taken.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    static constexpr uint32_t kCapacity = 1024;
    std::array<ClapEdit, kCapacity> slots{};
    std::atomic<uint32_t> written{0};
    std::atomic<uint32_t> taken{0};
};
