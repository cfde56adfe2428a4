#pragma once
// Wall-clock time as the draw needs it: whole seconds for reseeding the generator and the broken-down local
// time that names history files. Behind an interface so tests can fix or step the time.

#include <cstdint>

namespace kelvora {

struct LocalTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the epoch, as time() gives them.
    virtual std::int64_t nowSeconds() = 0;
    virtual LocalTime localTime() = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t nowSeconds() override;
    LocalTime localTime() override;
};

} // namespace kelvora
