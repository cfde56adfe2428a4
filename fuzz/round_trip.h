#pragma once
// What a reader accepts must write back to the same number of bytes and read back to a record that writes the
// same bytes again; anything else means reader and writer disagree about the layout.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "records/byte_io.h"

namespace kelvora::fuzz {

template <typename Record, typename Read, typename Write>
void checkRoundTrip(const std::uint8_t* data, std::size_t size, Read read, Write write) {
    ByteReader in(std::span(reinterpret_cast<const std::byte*>(data), size));
    Record record;
    if (!read(in, record) || !in.ok() || in.consumed() != size)
        return;
    ByteWriter first;
    write(first, record);
    if (first.bytes().size() != size)
        std::abort();
    ByteReader again(first.bytes());
    Record second;
    if (!read(again, second) || !again.ok() || !again.atEnd())
        std::abort();
    ByteWriter twice;
    write(twice, second);
    if (twice.bytes() != first.bytes())
        std::abort();
}

} // namespace kelvora::fuzz
