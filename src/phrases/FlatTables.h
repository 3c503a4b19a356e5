#pragma once

// Open-addressing tables for the counting engine: compact, no per-entry allocation.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta::detail {

inline std::uint64_t mix64(std::uint64_t key)
{
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ULL;
    key ^= key >> 33;
    return key;
}

// Gives each distinct string a dense id (0, 1, 2, ... in order of first sight).
class StringInterner {
public:
    std::uint32_t intern(std::string_view text)
    {
        const std::uint64_t hash = std::hash<std::string_view>{}(text);
        const std::uint32_t tag = tagOf(hash, text.size());
        const std::uint64_t head = headOf(text);
        if ((m_entries.size() + 1) * 10 > m_slots.size() * 7)
            grow();
        std::size_t slot = hash & m_mask;
        while (m_slots[slot].index != 0) {
            const Slot &s = m_slots[slot];
            if (s.tag == tag && s.head == head &&
                (text.size() <= sizeof head || sameBytes(view(m_entries[s.index - 1]), text)))
                return s.index - 1;
            slot = (slot + 1) & m_mask;
        }
        m_entries.push_back({m_text.size(), std::uint32_t(text.size())});
        m_text.append(text);
        m_slots[slot] = {head, tag, std::uint32_t(m_entries.size())};
        return std::uint32_t(m_entries.size() - 1);
    }

    std::string_view text(std::uint32_t id) const { return view(m_entries[id]); }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        std::size_t offset;
        std::uint32_t length;
    };
    // Most words fit in the slot's head, and the tag (length and hash bits) rejects almost every
    // other word, so a look-up seldom touches more than one cache line.
    struct Slot {
        std::uint64_t head = 0; // the first eight bytes, zero-padded
        std::uint32_t tag = 0;
        std::uint32_t index = 0; // entry index + 1; 0 is empty
    };

    static std::uint32_t tagOf(std::uint64_t hash, std::size_t length)
    {
        return std::uint32_t(hash >> 40) |
               (std::uint32_t(std::min<std::size_t>(length, 255)) << 24);
    }

    static std::uint64_t headOf(std::string_view text)
    {
        std::uint64_t head = 0;
        std::memcpy(&head, text.data(), std::min(text.size(), sizeof head));
        return head;
    }

    // Words are short: a plain loop beats a call to memcmp.
    static bool sameBytes(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i] != b[i])
                return false;
        }
        return true;
    }

    std::string_view view(const Entry &entry) const
    {
        return std::string_view(m_text).substr(entry.offset, entry.length);
    }

    void grow()
    {
        const std::size_t capacity = m_slots.empty() ? 1024 : m_slots.size() * 2;
        m_slots.assign(capacity, Slot{});
        m_mask = capacity - 1;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const std::string_view text = view(m_entries[i]);
            const std::uint64_t hash = std::hash<std::string_view>{}(text);
            std::size_t slot = hash & m_mask;
            while (m_slots[slot].index != 0)
                slot = (slot + 1) & m_mask;
            m_slots[slot] = {headOf(text), tagOf(hash, text.size()), std::uint32_t(i + 1)};
        }
    }

    std::vector<Entry> m_entries;
    std::vector<Slot> m_slots;
    std::string m_text;
    std::size_t m_mask = 0;
};

// A small direct-mapped memo from short words (up to eight bytes) to their ids. Frequent words
// make up most of a text, and their look-ups then stay in the processor's nearest caches.
class ShortWordMemo {
public:
    static constexpr std::uint32_t kMiss = ~std::uint32_t(0);

    ShortWordMemo()
        : m_entries(kSize)
    {
    }

    std::uint32_t find(std::string_view word) const
    {
        if (word.size() > sizeof(std::uint64_t) || word.empty())
            return kMiss;
        const std::uint64_t head = headOf(word);
        const Entry &entry = m_entries[slotOf(head, word.size())];
        return entry.head == head && entry.length == word.size() ? entry.id : kMiss;
    }

    void remember(std::string_view word, std::uint32_t id)
    {
        if (word.size() > sizeof(std::uint64_t) || word.empty())
            return;
        const std::uint64_t head = headOf(word);
        m_entries[slotOf(head, word.size())] = {head, std::uint32_t(word.size()), id};
    }

private:
    static constexpr std::size_t kSize = 4096;
    struct Entry {
        std::uint64_t head = 0;
        std::uint32_t length = 0; // 0: empty
        std::uint32_t id = 0;
    };

    static std::uint64_t headOf(std::string_view word)
    {
        std::uint64_t head = 0;
        std::memcpy(&head, word.data(), word.size());
        return head;
    }
    static std::size_t slotOf(std::uint64_t head, std::size_t length)
    {
        return mix64(head + length) & (kSize - 1);
    }

    std::vector<Entry> m_entries;
};

// Counts 64-bit keys; each distinct key gets a dense index in order of first sight.
class KeyCounter {
public:
    explicit KeyCounter(std::size_t expectedKeys)
    {
        resize(std::bit_ceil(std::max<std::size_t>(expectedKeys / 2, 1024)));
    }

    // Counts one occurrence of the key and returns its index.
    std::uint32_t add(std::uint64_t key)
    {
        std::size_t slot = mix64(key) & m_mask;
        while (true) {
            Slot &s = m_slots[slot];
            if (s.key == key) {
                ++m_counts[s.index];
                return s.index;
            }
            if (s.key == kEmpty)
                break;
            slot = (slot + 1) & m_mask;
        }
        const auto index = std::uint32_t(m_counts.size());
        m_slots[slot] = {key, index};
        m_counts.push_back(1);
        if (m_counts.size() * 10 > m_slots.size() * 7)
            resize(m_slots.size() * 2);
        return index;
    }

    std::uint32_t count(std::uint32_t index) const { return m_counts[index]; }
    std::size_t size() const { return m_counts.size(); }

private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t(0);
    struct Slot {
        std::uint64_t key = kEmpty;
        std::uint32_t index = 0;
    };

    void resize(std::size_t capacity)
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(capacity, Slot{});
        m_mask = capacity - 1;
        for (const Slot &s : old) {
            if (s.key == kEmpty)
                continue;
            std::size_t slot = mix64(s.key) & m_mask;
            while (m_slots[slot].key != kEmpty)
                slot = (slot + 1) & m_mask;
            m_slots[slot] = s;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_counts;
    std::size_t m_mask = 0;
};

} // namespace orvanta::detail
