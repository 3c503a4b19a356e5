#pragma once

// Open-addressing tables for the counting engine: compact, no per-entry allocation.

#include "phrases/LargeArray.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
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

// The first eight bytes of a word, zero-padded, read without a call to memcpy.
inline std::uint64_t headOf(const char *bytes, std::size_t size)
{
    const auto load = [bytes]<typename Word>(Word, std::size_t at) {
        Word word;
        std::memcpy(&word, bytes + at, sizeof word);
        return std::uint64_t(word);
    };
    if (size >= 8)
        return load(std::uint64_t(), 0);
    if (size >= 4) // two overlapping loads
        return load(std::uint32_t(), 0) | (load(std::uint32_t(), size - 4) << (8 * (size - 4)));
    if (size == 0)
        return 0;
    return std::uint64_t(std::uint8_t(bytes[0])) |
           (std::uint64_t(std::uint8_t(bytes[size / 2])) << (8 * (size / 2))) |
           (std::uint64_t(std::uint8_t(bytes[size - 1])) << (8 * (size - 1)));
}

inline std::uint64_t hashOf(std::string_view word)
{
    std::uint64_t hash =
        mix64(headOf(word.data(), word.size()) ^ (word.size() * 0x9e3779b97f4a7c15ULL));
    for (std::size_t at = 8; at < word.size(); at += 8)
        hash = mix64(hash ^ headOf(word.data() + at, std::min<std::size_t>(8, word.size() - at)));
    return hash;
}

// Maps each distinct word to the 32-bit value it was given when first seen. A word of up to
// eight bytes lives wholly in its slot, so most look-ups touch one cache line; longer words keep
// their bytes in one shared buffer. A word's home slot is given by the top bits of its hash, which
// its tag keeps, so growing refills the bigger table in order, without reading any word again.
// Up to 2^28 slots: 187 million distinct words, far beyond what fits in memory with their text.
class WordMap {
public:
    struct Key {
        std::uint64_t hash;
        std::uint64_t head;
        std::uint32_t tag;
    };

    static Key keyOf(std::string_view word)
    {
        const std::uint64_t hash = hashOf(word);
        return {hash, headOf(word.data(), word.size()), tagOf(hash, word.size())};
    }

    // Starts loading the slot where a look-up of the key begins, so that look-ups of several
    // words wait for memory at once rather than one after another.
    void prefetch(const Key &key) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[key.hash >> (64 - m_bits)]);
    }

    // The word's value; for a new word, `makeValue()` gives it.
    template <typename MakeValue>
    std::uint32_t findOrAdd(std::string_view word, MakeValue makeValue)
    {
        return findOrAdd(word, keyOf(word), makeValue);
    }

    // The same, given the word's key.
    template <typename MakeValue>
    std::uint32_t findOrAdd(std::string_view word, const Key &key, MakeValue makeValue)
    {
        if ((m_count + 1) * 10 > m_slots.size() * 7)
            grow();
        const std::size_t slot = probe(word, key);
        if (m_slots[slot].tag != 0)
            return valueIn(m_slots[slot], word.size());
        const std::uint32_t value = makeValue();
        m_slots[slot] = {key.head, key.tag,
                         word.size() <= kInSlot ? value : addLongWord(word, value)};
        ++m_count;
        return value;
    }

    // The word's value, when the map holds the word.
    std::optional<std::uint32_t> find(std::string_view word) const
    {
        if (m_slots.empty())
            return std::nullopt;
        const Slot &s = m_slots[probe(word, keyOf(word))];
        return s.tag == 0 ? std::nullopt : std::optional(valueIn(s, word.size()));
    }

    std::size_t size() const { return m_count; }
    std::uint64_t bytesHeld() const
    {
        return bytesOf(m_slots) + bytesOf(m_longWords) + bytesOf(m_longText);
    }

private:
    static constexpr std::size_t kInSlot = sizeof(std::uint64_t);
    static constexpr unsigned kTagHashBits = 28;
    struct Slot {
        std::uint64_t head = 0;
        std::uint32_t tag = 0; // 0: empty; else hash bits and, below them, 1 + length (at most 15)
        std::uint32_t value = 0; // a longer word's index in m_longWords
    };
    struct LongWord {
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t value;
    };

    // The slot that holds the word, or the empty slot where it belongs.
    std::size_t probe(std::string_view word, const Key &key) const
    {
        std::size_t slot = key.hash >> (64 - m_bits);
        for (; m_slots[slot].tag != 0; slot = (slot + 1) & m_mask) {
            const Slot &s = m_slots[slot];
            if (s.tag == key.tag && s.head == key.head &&
                (word.size() <= kInSlot || longText(m_longWords[s.value]) == word))
                return slot;
        }
        return slot;
    }

    std::uint32_t valueIn(const Slot &s, std::size_t wordSize) const
    {
        return wordSize <= kInSlot ? s.value : m_longWords[s.value].value;
    }

    static std::uint32_t tagOf(std::uint64_t hash, std::size_t length)
    {
        return (std::uint32_t(hash >> (64 - kTagHashBits)) << (32 - kTagHashBits)) |
               std::uint32_t(1 + std::min<std::size_t>(length, 14));
    }

    std::string_view longText(const LongWord &word) const
    {
        return std::string_view(m_longText.data() + word.offset, word.length);
    }

    std::uint32_t addLongWord(std::string_view word, std::uint32_t value)
    {
        m_longWords.push_back({m_longText.size(), std::uint32_t(word.size()), value});
        m_longText.append(word);
        return std::uint32_t(m_longWords.size() - 1);
    }

    void grow()
    {
        if (m_bits == kTagHashBits)
            throw std::length_error("Too many distinct words to count in one run");
        m_bits = m_slots.empty() ? 10 : m_bits + 1;
        LargeArray<Slot> old = std::exchange(m_slots, LargeArray<Slot>(std::size_t(1) << m_bits));
        m_mask = m_slots.size() - 1;
        for (const Slot &s : old) {
            if (s.tag == 0)
                continue;
            std::size_t slot = s.tag >> (32 - m_bits);
            while (m_slots[slot].tag != 0)
                slot = (slot + 1) & m_mask;
            m_slots[slot] = s;
        }
    }

    LargeArray<Slot> m_slots;
    LargeArray<LongWord> m_longWords;
    LargeText m_longText;
    std::size_t m_count = 0;
    unsigned m_bits = 0;
    std::size_t m_mask = 0;
};

// Gives each distinct string a dense id (0, 1, 2, ... in order of first sight).
class StringInterner {
public:
    std::uint32_t intern(std::string_view text)
    {
        return m_ids.findOrAdd(text, [&] {
            m_entries.push_back({m_text.size(), std::uint32_t(text.size())});
            m_text.append(text);
            return std::uint32_t(m_entries.size() - 1);
        });
    }

    // The id of a string interned before.
    std::optional<std::uint32_t> find(std::string_view text) const { return m_ids.find(text); }

    std::string_view text(std::uint32_t id) const
    {
        return std::string_view(m_text.data() + m_entries[id].offset, m_entries[id].length);
    }
    std::size_t size() const { return m_entries.size(); }
    std::uint64_t bytesHeld() const
    {
        return m_ids.bytesHeld() + bytesOf(m_entries) + bytesOf(m_text);
    }

private:
    struct Entry {
        std::size_t offset;
        std::uint32_t length;
    };
    WordMap m_ids;
    LargeArray<Entry> m_entries;
    LargeText m_text;
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
