#pragma once
// Chinese personal names (a surname and a one- or two-character given name) for the sample events and the
// generated photos. No Qt, so the text-mode sample needs nothing more than the file code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvora::photos {

// count distinct names, the same ones for the same seed on every machine.
std::vector<std::u16string> personNames(std::size_t count, std::uint32_t seed);

} // namespace kelvora::photos
