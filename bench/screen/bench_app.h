#pragma once
// What the benchmarks that draw share: the GUI application they draw in, with the program's font aliases,
// and a clock that never moves so that every run lays out the same texts.

#include "platform/clock.h"

namespace kelvora::bench {

class StillClock final : public Clock {
public:
    std::int64_t nowSeconds() override { return 1'800'000'000; }
    LocalTime localTime() override { return {2026, 12, 6, 21, 5, 9}; }
};

// Loads the font aliases and makes the application once (offscreen unless a platform is named). It is
// never destroyed: tearing Qt down after main() returns races its thread-local storage.
void ensureGuiApplication(const char* programName);

} // namespace kelvora::bench
