#include "phrases/PhraseLevels.h"

#include "phrases/FlatTables.h"

#include <algorithm>
#include <bit>
#include <thread>

namespace orvanta::detail {

Level firstLevel(std::span<const std::uint32_t> ids, std::size_t distinctWords)
{
    Level level;
    LargeArray<std::uint32_t> counts(distinctWords, 0);
    for (std::uint32_t id : ids) {
        if (id != kLineBreak)
            ++counts[id];
    }
    level.classes.assign(ids.size(), kNoClass);
    LargeArray<std::uint32_t> classOfWord(distinctWords, kNoClass);
    for (std::uint32_t k = 0; k < ids.size(); ++k) {
        const std::uint32_t id = ids[k];
        if (id == kLineBreak || counts[id] < 2)
            continue;
        if (classOfWord[id] == kNoClass) {
            classOfWord[id] = std::uint32_t(level.frequencies.size());
            level.frequencies.push_back(counts[id]);
            level.firstSeen.push_back(k);
        }
        level.classes[k] = classOfWord[id];
        level.positions.push_back(k);
    }
    return level;
}

namespace {

// A window of n + 1 words is its first n words (a class of the level before) and its last word.
struct Candidate {
    std::uint32_t prefixClass;
    std::uint32_t lastWord;
    std::uint32_t position;

    std::uint64_t key() const { return (std::uint64_t(prefixClass) << 32) | lastWord; }
};

// What one bucket found: its classes and, for each of its candidates, the class or kNoClass.
struct BucketClasses {
    std::vector<std::uint32_t> frequencies;
    std::vector<std::uint32_t> firstSeen;
};

constexpr std::size_t kTargetBucketSize = 4096;
constexpr std::size_t kPositionsForTwoCores = 200000;

// The candidates are split by hash into buckets small enough for their counting table to stay
// in cache; buckets are independent, so they are counted on all cores.
class BucketedCounter {
public:
    BucketedCounter(const Level &level, std::span<const std::uint32_t> ids, int length)
    {
        const std::size_t live = level.positions.size();
        m_bits = live <= kTargetBucketSize ? 0 : std::bit_width(live / kTargetBucketSize);
        partition(level, ids, std::uint32_t(length));
    }

    // Counts every bucket and writes the new classes into `level`.
    void count(Level &level)
    {
        const std::size_t buckets = m_bucketStart.size() - 1;
        m_found.assign(buckets, {});
        // The previous length's classes were all read by the partition; each bucket writes its
        // own classes, counted from 0, where its windows start, and then shifts them.
        for (std::uint32_t k : level.positions)
            level.classes[k] = kNoClass;
        runInParallel(buckets, [&](std::size_t bucket) { countBucket(bucket, level.classes); });

        std::vector<std::uint32_t> classBase(buckets + 1, 0);
        for (std::size_t b = 0; b < buckets; ++b)
            classBase[b + 1] = classBase[b] + std::uint32_t(m_found[b].frequencies.size());
        level.frequencies.clear();
        level.firstSeen.clear();
        level.frequencies.reserve(classBase.back());
        level.firstSeen.reserve(classBase.back());
        for (const BucketClasses &found : m_found) {
            level.frequencies.insert(level.frequencies.end(), found.frequencies.begin(),
                                     found.frequencies.end());
            level.firstSeen.insert(level.firstSeen.end(), found.firstSeen.begin(),
                                   found.firstSeen.end());
        }
        runInParallel(buckets, [&](std::size_t bucket) {
            if (classBase[bucket] == 0)
                return;
            for (std::size_t i = m_bucketStart[bucket]; i < m_bucketStart[bucket + 1]; ++i) {
                if (std::uint32_t &c = level.classes[m_candidates[i].position]; c != kNoClass)
                    c += classBase[bucket];
            }
        });
        std::erase_if(level.positions,
                      [&](std::uint32_t k) { return level.classes[k] == kNoClass; });
        releaseUnusedCapacity(level.positions);
    }

private:
    std::size_t bucketOf(std::uint64_t hash) const
    {
        return m_bits == 0 ? 0 : hash >> (64 - m_bits);
    }

    template <typename Visit>
    static void forEachCandidate(const Level &level, std::span<const std::uint32_t> positions,
                                 std::span<const std::uint32_t> ids, std::uint32_t length,
                                 Visit visit)
    {
        const LargeArray<std::uint32_t> &classes = level.classes;
        for (std::uint32_t k : positions) {
            if (k + 1 < classes.size() && classes[k + 1] != kNoClass &&
                ids[k + length] != kLineBreak)
                visit(Candidate{classes[k], ids[k + length], k});
        }
    }

    // A counting sort by bucket that keeps positions ascending within each bucket. Each part of
    // the positions counts and places its own candidates, on its own core; within a bucket, the
    // first part's candidates come first.
    void partition(const Level &level, std::span<const std::uint32_t> ids, std::uint32_t length)
    {
        const std::size_t buckets = std::size_t(1) << m_bits;
        const std::span<const std::uint32_t> positions(level.positions);
        const std::size_t parts = positions.size() < kPositionsForTwoCores ? 1 : 2;
        const auto partOf = [&](std::size_t part) {
            const std::size_t begin = positions.size() * part / parts;
            return positions.subspan(begin, positions.size() * (part + 1) / parts - begin);
        };
        std::vector<std::vector<std::size_t>> next(parts, std::vector<std::size_t>(buckets, 0));
        runParts(parts, [&](std::size_t part) {
            forEachCandidate(level, partOf(part), ids, length,
                             [&](const Candidate &c) { ++next[part][bucketOf(mix64(c.key()))]; });
        });
        m_bucketStart.assign(buckets + 1, 0);
        std::size_t placed = 0;
        for (std::size_t b = 0; b < buckets; ++b) {
            m_bucketStart[b] = placed;
            for (std::vector<std::size_t> &partNext : next)
                placed += std::exchange(partNext[b], placed);
        }
        m_bucketStart[buckets] = placed;
        m_candidates.resize(placed);
        runParts(parts, [&](std::size_t part) {
            forEachCandidate(level, partOf(part), ids, length, [&](const Candidate &c) {
                m_candidates[next[part][bucketOf(mix64(c.key()))]++] = c;
            });
        });
    }

    // Writes the bucket's classes, counted from 0, into `classes` where their windows start.
    void countBucket(std::size_t bucket, LargeArray<std::uint32_t> &classes)
    {
        const std::size_t begin = m_bucketStart[bucket];
        const std::size_t end = m_bucketStart[bucket + 1];
        if (end - begin < 2)
            return;
        KeyCounter counter(end - begin);
        std::vector<std::uint32_t> keyIndex(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            keyIndex[i - begin] = counter.add(m_candidates[i].key());
        std::vector<std::uint32_t> classOfKey(counter.size(), kNoClass);
        BucketClasses &found = m_found[bucket];
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t key = keyIndex[i - begin];
            const std::uint32_t frequency = counter.count(key);
            if (frequency < 2)
                continue;
            if (classOfKey[key] == kNoClass) {
                classOfKey[key] = std::uint32_t(found.frequencies.size());
                found.frequencies.push_back(frequency);
                found.firstSeen.push_back(m_candidates[i].position);
            }
            classes[m_candidates[i].position] = classOfKey[key];
        }
    }

    // Runs work(0) to work(parts - 1) at once, each on its own thread.
    template <typename Work> static void runParts(std::size_t parts, const Work &work)
    {
        std::vector<std::thread> helpers;
        for (std::size_t part = 1; part < parts; ++part)
            helpers.emplace_back([&, part] { work(part); });
        work(0);
        for (std::thread &helper : helpers)
            helper.join();
    }

    template <typename Work> static void runInParallel(std::size_t count, const Work &work)
    {
        const std::size_t threads =
            count < 16 ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
        std::vector<std::thread> helpers;
        for (std::size_t t = 1; t < threads; ++t) {
            helpers.emplace_back([&, t] {
                for (std::size_t i = t; i < count; i += threads)
                    work(i);
            });
        }
        for (std::size_t i = 0; i < count; i += threads)
            work(i);
        for (std::thread &helper : helpers)
            helper.join();
    }

    unsigned m_bits = 0;
    LargeArray<Candidate> m_candidates;
    std::vector<std::size_t> m_bucketStart;
    std::vector<BucketClasses> m_found; // by bucket
};

} // namespace

void advanceLevel(Level &level, std::span<const std::uint32_t> ids, int length)
{
    BucketedCounter counter(level, ids, length);
    counter.count(level);
}

} // namespace orvanta::detail
