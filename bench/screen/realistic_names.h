#pragma once
// Name lists that look like a company's: a common surname and one or two given-name characters drawn from
// the 3755 level-1 hanzi of GB2312, with a few Latin names and phone numbers among them. A fixed set of a
// hundred characters renders once and never again; a real list keeps meeting characters it has not drawn.

#include <cstdint>
#include <string>

#include "records/entrant.h"

namespace kelvora::bench {

// The level-1 hanzi of GB2312 (rows 0xB0..0xD7), in code order; empty where the C library cannot convert
// from GB2312.
std::u16string level1Hanzi();

// count names: 90 % Chinese (surname + one or two characters), 5 % Latin ("Alexander Ng"), 5 % mobile
// numbers; the same list for the same seed.
EntrantList realisticNames(int count, std::uint32_t seed = 2016);

} // namespace kelvora::bench
