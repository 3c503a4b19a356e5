#include "results/ClosedPhrases.h"

#include "phrases/FlatTables.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <set>
#include <string_view>
#include <utility>

namespace orvanta {

namespace {

constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();

// Look-ups go in batches: the slots of a whole batch are asked for from memory before the first
// is read, so their waits overlap. The table of a large list is far larger than the caches.
constexpr std::size_t kBatch = 32;

struct Part {
    std::string_view text;
    std::uint64_t hash;
    std::uint32_t frequency;
};

// The listed phrases by their text: open addressing over the texts' hashes. A slot keeps the
// hash's top half as a tag, so a look-up reads a phrase's text only when its tag matches.
class ListedPhrases {
public:
    ListedPhrases(std::span<const std::uint32_t> listed, const PhraseResults &results)
        : m_results(results)
        , m_slots(std::bit_ceil(listed.size() * 2 + 2))
        , m_mask(m_slots.size() - 1)
    {
        std::uint64_t hashes[kBatch];
        for (std::size_t start = 0; start < listed.size(); start += kBatch) {
            const std::span<const std::uint32_t> batch =
                listed.subspan(start, std::min(kBatch, listed.size() - start));
            for (std::size_t i = 0; i < batch.size(); ++i) {
                hashes[i] = detail::hashOf(phrase(batch[i]));
                prefetch(hashes[i]);
            }
            for (std::size_t i = 0; i < batch.size(); ++i)
                insert(batch[i], hashes[i]);
        }
    }

    static std::uint64_t hashOf(std::string_view text) { return detail::hashOf(text); }
    void prefetch(std::uint64_t hash) const { __builtin_prefetch(&m_slots[hash & m_mask]); }

    // The listed row with the text, or kEmpty.
    std::uint32_t find(std::string_view text, std::uint64_t hash) const
    {
        const std::uint32_t tag = std::uint32_t(hash >> 32);
        for (std::size_t slot = hash & m_mask; m_slots[slot].id != kEmpty;
             slot = (slot + 1) & m_mask) {
            if (m_slots[slot].tag == tag && phrase(m_slots[slot].id) == text)
                return m_slots[slot].id;
        }
        return kEmpty;
    }

    std::uint32_t frequency(std::uint32_t id) const
    {
        return std::uint32_t(m_results.frequency(qsizetype(id)));
    }

private:
    std::string_view phrase(std::uint32_t id) const { return m_results.phraseUtf8(qsizetype(id)); }

    void insert(std::uint32_t id, std::uint64_t hash)
    {
        const std::string_view text = phrase(id);
        const std::uint32_t tag = std::uint32_t(hash >> 32);
        std::size_t slot = hash & m_mask;
        for (; m_slots[slot].id != kEmpty; slot = (slot + 1) & m_mask) {
            if (m_slots[slot].tag == tag && phrase(m_slots[slot].id) == text)
                return; // listed twice
        }
        m_slots[slot] = {tag, id};
    }

    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t id = kEmpty;
    };
    const PhraseResults &m_results;
    std::vector<Slot> m_slots;
    std::size_t m_mask;
};

std::string_view withoutLastWord(std::string_view phrase)
{
    return phrase.substr(0, phrase.rfind(' '));
}

std::string_view withoutFirstWord(std::string_view phrase)
{
    return phrase.substr(phrase.find(' ') + 1);
}

// Marks the listed phrases inside longer listed phrases of the same frequency. A phrase Q holds
// a shorter P with the same frequency only through a chain of phrases, each one word shorter
// than the one before it, all with that frequency: an occurrence of a phrase is an occurrence of
// each part of it, so no part occurs less often than the whole. So each phrase looks at its two
// parts one word shorter: a listed part of the same frequency is marked (its own parts are
// looked at as it is), a listed part seen more often ends the chain, and a part that is not
// listed is followed further, once for each frequency.
class ChainWalker {
public:
    ChainWalker(const ListedPhrases &listed, int shortest, std::vector<bool> &inside)
        : m_listed(listed)
        , m_shortest(shortest)
        , m_inside(inside)
    {
    }

    // The parts of each phrase of the batch: asked for from memory all together, then looked
    // at in turn.
    void walkPartsOf(std::span<const std::uint32_t> batch, const PhraseResults &results)
    {
        std::size_t parts = 0;
        for (const std::uint32_t id : batch) {
            if (results.wordCount(qsizetype(id)) - 1 < m_shortest)
                continue;
            const std::string_view text = results.phraseUtf8(qsizetype(id));
            const auto frequency = std::uint32_t(results.frequency(qsizetype(id)));
            for (const std::string_view part : {withoutLastWord(text), withoutFirstWord(text)}) {
                m_batch[parts] = {part, ListedPhrases::hashOf(part), frequency};
                m_listed.prefetch(m_batch[parts++].hash);
            }
        }
        for (std::size_t i = 0; i < parts; ++i) {
            visit(m_batch[i]);
            while (!m_pending.empty()) {
                const Part next = m_pending.back();
                m_pending.pop_back();
                visit(next);
            }
        }
    }

private:
    void visit(const Part &part)
    {
        if (const std::uint32_t id = m_listed.find(part.text, part.hash); id != kEmpty) {
            if (m_listed.frequency(id) == part.frequency)
                m_inside[id] = true;
            return;
        }
        const int words = int(std::count(part.text.begin(), part.text.end(), ' ')) + 1;
        if (words - 1 < m_shortest || !m_followed.emplace(part.text, part.frequency).second)
            return;
        for (const std::string_view shorter :
             {withoutLastWord(part.text), withoutFirstWord(part.text)})
            m_pending.push_back({shorter, ListedPhrases::hashOf(shorter), part.frequency});
    }

    const ListedPhrases &m_listed;
    const int m_shortest;
    std::vector<bool> &m_inside;
    Part m_batch[2 * kBatch];
    std::vector<Part> m_pending;
    std::set<std::pair<std::string_view, std::uint32_t>> m_followed; // parts not listed
};

} // namespace

std::vector<bool> phrasesInsideLonger(std::span<const std::uint32_t> listed,
                                      const PhraseResults &results)
{
    std::vector<bool> inside(size_t(results.size()), false);
    if (listed.empty())
        return inside;
    int shortest = std::numeric_limits<int>::max();
    for (const std::uint32_t id : listed)
        shortest = std::min(shortest, results.wordCount(qsizetype(id)));
    const ListedPhrases byText(listed, results);
    ChainWalker walker(byText, shortest, inside);
    for (std::size_t start = 0; start < listed.size(); start += kBatch)
        walker.walkPartsOf(listed.subspan(start, std::min(kBatch, listed.size() - start)), results);
    return inside;
}

std::vector<std::uint32_t> closedPhrases(std::span<const std::uint32_t> listed,
                                         const PhraseResults &results)
{
    const std::vector<bool> inside = phrasesInsideLonger(listed, results);
    std::vector<std::uint32_t> kept;
    kept.reserve(listed.size());
    for (const std::uint32_t id : listed) {
        if (!inside[id])
            kept.push_back(id);
    }
    return kept;
}

} // namespace orvanta
