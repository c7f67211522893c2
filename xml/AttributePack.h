#pragma once

#include "xml/Prefetch.h"

#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

namespace stubsetup {

// The attributes of one element in one allocation of exactly their size,
// sorted by the bytes of their names: per attribute the name's and the
// value's length (7 bits a byte), then the name and the value. Three short
// attributes take some 40 bytes, where a vector of string pairs takes 200.
class AttributePack {
public:
    using Entry = std::pair<std::string_view, std::string_view>;

    // Inserts the attribute at its sorted place or replaces the value of the
    // one with that name.
    void set(std::string_view name, std::string_view value);
    // Replaces all attributes by `entries`, given in any order; of equal names
    // the one standing last wins, as if each had been set in turn. Reorders
    // the entries.
    void assign(Entry *first, Entry *last);

    std::size_t count() const;
    // Starts loading the attributes' bytes ahead of a walk over them.
    void prefetch() const { prefetchForReading(m_bytes.get()); }

    template <typename Visit> void forEach(Visit visit) const
    {
        for (std::size_t offset = 0; offset < m_size;)
            visit(entryAt(offset));
    }

private:
    // Decodes the entry at `offset` and moves `offset` past it. Inline: the
    // writer decodes every attribute of a tree.
    Entry entryAt(std::size_t &offset) const
    {
        const std::size_t nameSize = lengthAt(offset);
        const std::size_t valueSize = lengthAt(offset);
        const char *name = m_bytes.get() + offset;
        offset += nameSize + valueSize;
        return Entry(std::string_view(name, nameSize),
                     std::string_view(name + nameSize, valueSize));
    }
    std::size_t lengthAt(std::size_t &offset) const
    {
        std::size_t length = 0;
        unsigned shift = 0;
        for (unsigned char byte = 0x80; byte & 0x80; shift += 7) {
            byte = static_cast<unsigned char>(m_bytes[offset++]);
            length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        }
        return length;
    }
    void replace(std::size_t begin, std::size_t end, const Entry *first, const Entry *last);

    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
};

} // namespace stubsetup
