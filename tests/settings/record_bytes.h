#pragma once
// Byte-level access to record images for the record tests: build an image with a serializer, poke fields at
// their file offsets, and read them back.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "records/byte_io.h"

namespace kelvora::test {

using Bytes = std::vector<std::byte>;

template <class Record, class Serializer> Bytes imageOf(const Record& record, Serializer serialize) {
    ByteWriter out;
    serialize(record, out);
    return out.bytes();
}

inline std::int32_t int32At(const Bytes& bytes, std::size_t offset) {
    std::int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

inline void putInt32(Bytes& bytes, std::size_t offset, std::int32_t v) {
    std::memcpy(bytes.data() + offset, &v, sizeof v);
}

// The four bytes at offset as written in the file, e.g. a COLORREF's red, green, blue and zero.
inline std::vector<int> bytesAt(const Bytes& bytes, std::size_t offset, std::size_t count) {
    std::vector<int> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(std::to_integer<int>(bytes[offset + i]));
    return out;
}

// The zero-terminated UTF-16LE text of an array of `units` units at offset.
inline std::u16string textAt(const Bytes& bytes, std::size_t offset, std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, bytes.data() + offset + 2 * i, sizeof unit);
        if (unit == 0)
            break;
        text += unit;
    }
    return text;
}

// True when the array of `units` units at offset holds nothing but zeros after its terminator.
inline bool zeroAfterText(const Bytes& bytes, std::size_t offset, std::size_t units) {
    const std::size_t end = offset + 2 * units;
    std::size_t i = offset + 2 * (textAt(bytes, offset, units).size() + 1);
    for (; i < end; ++i) {
        if (bytes[i] != std::byte{0})
            return false;
    }
    return true;
}

// Fills the whole array with a non-zero unit, terminator place included.
inline void fillText(Bytes& bytes, std::size_t offset, std::size_t units, char16_t unit = u'A') {
    for (std::size_t i = 0; i < units; ++i)
        std::memcpy(bytes.data() + offset + 2 * i, &unit, sizeof unit);
}

template <class Record, class Parser> bool parseImage(const Bytes& bytes, Record& record, Parser parse) {
    ByteReader in(bytes);
    return parse(in, record);
}

} // namespace kelvora::test
