// MIDI messages from one thread (the MIDI input's or the window's) to the audio thread: neither
// side waits, locks or allocates. When the audio thread stalls long enough to fill the ring, the
// newest messages are dropped rather than blocking the sender.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

struct RingMessage {
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

class MidiRing {
public:
    static constexpr size_t kCapacity = 1024; // a power of two

    // Producer side; false when the ring is full.
    bool push(const RingMessage& message)
    {
        const size_t w = written.load(std::memory_order_relaxed);
        if (w - read.load(std::memory_order_acquire) >= kCapacity)
            return false;
        slots[w & (kCapacity - 1)] = message;
        written.store(w + 1, std::memory_order_release);
        return true;
    }

    // Consumer side: hands every waiting message to take, oldest first.
    template <typename Take>
    void drain(Take take)
    {
        size_t r = read.load(std::memory_order_relaxed);
        const size_t w = written.load(std::memory_order_acquire);
        for (; r != w; ++r)
            take(slots[r & (kCapacity - 1)]);
        read.store(r, std::memory_order_release);
    }

private:
    std::array<RingMessage, kCapacity> slots{};
    std::atomic<size_t> written{0};
    std::atomic<size_t> read{0};
};
