// Preloaded into the program by end-to-end tests that compare two runs byte for byte: time() answers one
// fixed second (KELVORA_FIXED_TIME, else a day in 2027), so every reseeding of the draw's random numbers
// starts the same sequence in both runs.

#include <cstdlib>
#include <ctime>

extern "C" std::time_t time(std::time_t* out) noexcept {
    static const std::time_t fixed = [] {
        const char* value = std::getenv("KELVORA_FIXED_TIME");
        return value ? static_cast<std::time_t>(std::atoll(value)) : static_cast<std::time_t>(1'800'000'000);
    }();
    if (out)
        *out = fixed;
    return fixed;
}
