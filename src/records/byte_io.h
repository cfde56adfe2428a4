#pragma once
// Flat little-endian record images. Files are read whole into memory and parsed field by field with
// ByteReader; writers build the whole image with ByteWriter and hand it to the file layer in one block.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "records/entrant.h"

namespace kelvora {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> data) : m_data(data) {}

    // False once any read ran past the end; every later read also fails and yields zeros.
    bool ok() const { return m_ok; }
    std::size_t consumed() const { return m_pos; }
    std::size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }

    bool readBytes(void* out, std::size_t n) {
        if (n == 0) // an empty list may hand in a null destination
            return m_ok;
        if (!m_ok || n > remaining()) {
            m_ok = false;
            std::memset(out, 0, n);
            return false;
        }
        std::memcpy(out, m_data.data() + m_pos, n);
        m_pos += n;
        return true;
    }
    bool readInt32(std::int32_t& v) { return readBytes(&v, sizeof v); }
    bool readDouble(double& v) { return readBytes(&v, sizeof v); }
    // A text array; its last unit is forced to zero as every reader must.
    template <std::size_t N> bool readText(char16_t (&field)[N]) {
        const bool r = readBytes(field, sizeof field);
        field[N - 1] = 0;
        return r;
    }
    // An entrant record with the name's last unit forced to zero; winOrder as stored.
    bool readEntrant(Entrant& e) {
        const bool r = readBytes(&e, sizeof e);
        e.name[kNameUnits - 1] = 0;
        return r;
    }
    // count entrant records in one block, each name's last unit forced to zero.
    bool readEntrants(Entrant* out, std::size_t count) {
        const bool r = readBytes(out, count * sizeof(Entrant));
        for (std::size_t i = 0; i < count; ++i)
            out[i].name[kNameUnits - 1] = 0;
        return r;
    }
    // A list count: an int32 that, taken unsigned, is at most max. A count whose entries of entryBytes each
    // cannot fit in what is left fails too, so that no reader sizes a list from a count the file cannot hold.
    bool readCount(std::uint32_t max, std::size_t entryBytes, std::size_t& count) {
        std::int32_t stored = 0;
        count = 0;
        if (!readInt32(stored))
            return false;
        const auto n = static_cast<std::uint32_t>(stored);
        if (n > max || (entryBytes != 0 && n > remaining() / entryBytes)) {
            m_ok = false;
            return false;
        }
        count = n;
        return true;
    }
    // A counted list's entries replace list's contents, each name's last unit forced to zero.
    bool readEntrantList(EntrantList& list, std::size_t count) {
        if (!m_ok || count > remaining() / sizeof(Entrant)) {
            m_ok = false;
            list.clear();
            return false;
        }
        list.resize(count);
        return readEntrants(list.data(), count);
    }

private:
    std::span<const std::byte> m_data;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

class ByteWriter {
public:
    void writeBytes(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::byte*>(data);
        m_buffer.insert(m_buffer.end(), p, p + n);
    }
    void writeInt32(std::int32_t v) { writeBytes(&v, sizeof v); }
    void writeDouble(double v) { writeBytes(&v, sizeof v); }
    template <std::size_t N> void writeText(const char16_t (&field)[N]) { writeBytes(field, sizeof field); }
    void writeEntrants(std::span<const Entrant> entries) { writeBytes(entries.data(), entries.size_bytes()); }
    void reserve(std::size_t n) { m_buffer.reserve(n); }

    const std::vector<std::byte>& bytes() const { return m_buffer; }
    std::vector<std::byte>& bytes() { return m_buffer; }

private:
    std::vector<std::byte> m_buffer;
};

} // namespace kelvora
