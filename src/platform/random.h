#pragma once
// The draw's random source: a 15-bit generator with the srand/rand contract of the C library (the classic
// linear congruential generator), reseeded from the clock in whole seconds wherever the draw reseeds. Several
// reseedings within one second restart the same sequence; the draw accepts that.

#include <cstdint>

#include "platform/clock.h"

namespace kelvora {

class Random15 {
public:
    static constexpr int kMax = 0x7FFF;

    explicit Random15(Clock& clock) : m_clock(&clock) {}

    void seed(std::uint32_t seed) { m_state = seed; }
    // srand(time(NULL)): the seed is the time in whole seconds, truncated to 32 bits.
    void reseedFromClock() { seed(static_cast<std::uint32_t>(m_clock->nowSeconds())); }

    // rand(): 0..32767.
    int next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFFu);
    }

    Clock& clock() { return *m_clock; }

private:
    Clock* m_clock;
    std::uint32_t m_state = 1; // rand() without srand behaves as srand(1)
};

} // namespace kelvora
