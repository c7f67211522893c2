#include "xml/AttributePack.h"

#include <algorithm>

namespace stubsetup {
namespace {

// Larger sets go to std::stable_sort, which allocates a buffer of its own.
constexpr std::ptrdiff_t insertionSortLimit = 16;

std::size_t lengthSize(std::size_t length)
{
    std::size_t size = 1;
    for (; length >= 0x80; length >>= 7)
        ++size;
    return size;
}

char *putLength(char *out, std::size_t length)
{
    for (; length >= 0x80; length >>= 7)
        *out++ = static_cast<char>((length & 0x7F) | 0x80);
    *out++ = static_cast<char>(length);
    return out;
}

std::size_t encodedSize(const AttributePack::Entry &entry)
{
    return lengthSize(entry.first.size()) + lengthSize(entry.second.size()) + entry.first.size() +
           entry.second.size();
}

char *encode(char *out, const AttributePack::Entry &entry)
{
    out = putLength(putLength(out, entry.first.size()), entry.second.size());
    out = std::copy(entry.first.begin(), entry.first.end(), out);
    return std::copy(entry.second.begin(), entry.second.end(), out);
}

bool byName(const AttributePack::Entry &left, const AttributePack::Entry &right)
{
    return left.first < right.first;
}

void sortStablyByName(AttributePack::Entry *first, AttributePack::Entry *last)
{
    if (last - first > insertionSortLimit) {
        std::stable_sort(first, last, byName);
        return;
    }
    for (AttributePack::Entry *each = first; each != last; ++each)
        std::rotate(std::upper_bound(first, each, *each, byName), each, each + 1);
}

} // namespace

void AttributePack::set(std::string_view name, std::string_view value)
{
    const Entry entry(name, value);
    for (std::size_t begin = 0; begin < m_size;) {
        std::size_t end = begin;
        const int order = entryAt(end).first.compare(name);
        if (order >= 0) {
            replace(begin, order == 0 ? end : begin, &entry, &entry + 1);
            return;
        }
        begin = end;
    }
    replace(m_size, m_size, &entry, &entry + 1);
}

void AttributePack::assign(Entry *first, Entry *last)
{
    sortStablyByName(first, last);
    Entry *kept = first;
    for (Entry *each = first; each != last; ++each) {
        if (each + 1 == last || each[1].first != each->first)
            *kept++ = *each;
    }
    replace(0, m_size, first, kept);
}

std::size_t AttributePack::count() const
{
    std::size_t count = 0;
    forEach([&count](const Entry &) { ++count; });
    return count;
}

// Builds the new bytes aside, so that running out of memory leaves the
// attributes as they were.
void AttributePack::replace(std::size_t begin, std::size_t end, const Entry *first,
                            const Entry *last)
{
    std::size_t size = m_size - (end - begin);
    for (const Entry *each = first; each != last; ++each)
        size += encodedSize(*each);
    if (size == 0) {
        m_bytes.reset();
        m_size = 0;
        return;
    }
    auto bytes = std::make_unique<char[]>(size);
    char *out = std::copy(m_bytes.get(), m_bytes.get() + begin, bytes.get());
    for (const Entry *each = first; each != last; ++each)
        out = encode(out, *each);
    std::copy(m_bytes.get() + end, m_bytes.get() + m_size, out);
    m_bytes = std::move(bytes);
    m_size = size;
}

} // namespace stubsetup
