#include "phrases/DocumentOverlap.h"

#include "phrases/FlatTables.h"
#include "phrases/PhraseLevels.h"
#include "phrases/SuffixArray.h"

#include <algorithm>
#include <stdexcept>

namespace orvanta {

namespace {

using detail::kLineBreak;

constexpr std::uint32_t kNoSet = ~std::uint32_t(0);
constexpr std::uint32_t kStopCheckMask = (std::uint32_t(1) << 20) - 1;

// Each distinct set of files stored once, so that neighbouring stretches shared by the same
// files are seen to be, whatever their words.
class FileSetTable {
public:
    FileSetTable(std::vector<std::uint32_t> &files, std::vector<std::size_t> &begin)
        : m_files(files)
        , m_begin(begin)
        , m_slots(1024, kNoSet)
    {
    }

    std::uint32_t intern(std::span<const std::uint32_t> files)
    {
        const std::uint64_t hash = hashOf(files);
        std::size_t slot = hash & (m_slots.size() - 1);
        for (; m_slots[slot] != kNoSet; slot = (slot + 1) & (m_slots.size() - 1)) {
            const std::uint32_t set = m_slots[slot];
            if (m_hashes[set] == hash && std::ranges::equal(filesOf(set), files))
                return set;
        }
        const auto set = std::uint32_t(m_hashes.size());
        m_slots[slot] = set;
        m_hashes.push_back(hash);
        m_files.insert(m_files.end(), files.begin(), files.end());
        m_begin.push_back(m_files.size());
        if (m_hashes.size() * 2 > m_slots.size())
            grow();
        return set;
    }

private:
    static std::uint64_t hashOf(std::span<const std::uint32_t> files)
    {
        std::uint64_t hash = detail::mix64(files.size());
        for (const std::uint32_t file : files)
            hash = detail::mix64(hash ^ (file + 0x9e3779b97f4a7c15ULL));
        return hash;
    }

    std::span<const std::uint32_t> filesOf(std::uint32_t set) const
    {
        return std::span(m_files).subspan(m_begin[set], m_begin[set + 1] - m_begin[set]);
    }

    void grow()
    {
        std::vector<std::uint32_t> grown(m_slots.size() * 2, kNoSet);
        for (std::uint32_t set = 0; set < m_hashes.size(); ++set) {
            std::size_t slot = m_hashes[set] & (grown.size() - 1);
            while (grown[slot] != kNoSet)
                slot = (slot + 1) & (grown.size() - 1);
            grown[slot] = set;
        }
        m_slots = std::move(grown);
    }

    std::vector<std::uint32_t> &m_files;
    std::vector<std::size_t> &m_begin;
    std::vector<std::uint64_t> m_hashes; // by set
    std::vector<std::uint32_t> m_slots;
};

// a/b against c/d without rounding; words stay below 2^32, so the products fit.
int compareFractions(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    const std::uint64_t left = std::uint64_t(a) * d;
    const std::uint64_t right = std::uint64_t(c) * b;
    return left < right ? -1 : left > right ? 1 : 0;
}

// The larger and the smaller share of a pair, as fractions.
struct Shares {
    std::uint32_t largerShared, largerWords, smallerShared, smallerWords;

    explicit Shares(const OverlapPair &pair)
    {
        const bool aLarger =
            compareFractions(pair.sharedA, pair.wordsA, pair.sharedB, pair.wordsB) >= 0;
        largerShared = aLarger ? pair.sharedA : pair.sharedB;
        largerWords = aLarger ? pair.wordsA : pair.wordsB;
        smallerShared = aLarger ? pair.sharedB : pair.sharedA;
        smallerWords = aLarger ? pair.wordsB : pair.wordsA;
    }
};

bool rankedBefore(const OverlapPair &x, const OverlapPair &y)
{
    const Shares sx(x);
    const Shares sy(y);
    if (const int larger =
            compareFractions(sx.largerShared, sx.largerWords, sy.largerShared, sy.largerWords))
        return larger > 0;
    if (const int smaller =
            compareFractions(sx.smallerShared, sx.smallerWords, sy.smallerShared, sy.smallerWords))
        return smaller > 0;
    return x.fileA != y.fileA ? x.fileA < y.fileA : x.fileB < y.fileB;
}

} // namespace

// Finds the shared stretches for one choice of settings, then counts each pair's shared words.
class DocumentOverlap::Builder {
public:
    Builder(const OverlapIndex &index, DocumentOverlap &overlap)
        : m_index(index)
        , m_overlap(overlap)
        , m_words(overlap.m_settings.stretchWords)
        , m_sets(overlap.m_setFiles, overlap.m_setBegin)
    {
    }

    // Every maximal run of suffixes that share at least N words starts the same stretch at each
    // of its positions; a run that spans two files or more, and not too many, marks them.
    bool markSharedStretches(std::span<const std::uint32_t> suffixArray,
                             std::span<const std::uint32_t> sharedWithPrevious,
                             const std::stop_token &stop)
    {
        const std::size_t n = suffixArray.size();
        m_overlap.m_setAt.assign(n, kNoSet);
        std::size_t runBegin = 0;
        for (std::size_t rank = 1; rank <= n; ++rank) {
            if ((rank & kStopCheckMask) == 0 && stop.stop_requested())
                return false;
            if (rank < n && sharedWithPrevious[rank] >= m_words)
                continue;
            if (rank - runBegin >= 2)
                markRun(suffixArray.subspan(runBegin, rank - runBegin));
            runBegin = rank;
        }
        return !stop.stop_requested();
    }

    // Walks each file in text order: its stretches shared with another file, merged while they
    // overlap or touch, credited to that file once per word.
    bool countPairs(const std::stop_token &stop)
    {
        const std::size_t files = m_index.fileCount();
        m_coveredTo.assign(files, 0);
        m_shared.assign(files, 0);
        std::vector<std::size_t> pairsBegin(files + 1, 0);
        std::vector<OverlapPair> &pairs = m_overlap.m_pairs;
        for (std::uint32_t a = 0; a < files; ++a) {
            if (stop.stop_requested())
                return false;
            pairsBegin[a] = pairs.size();
            creditFile(a);
            std::sort(m_touched.begin(), m_touched.end());
            for (const std::uint32_t b : m_touched) {
                if (b > a)
                    pairs.push_back({a, b, m_index.wordsOf(a), m_index.wordsOf(b), m_shared[b], 0});
                else
                    pairWith(pairs, pairsBegin, b, a).sharedB = m_shared[b];
                m_coveredTo[b] = 0;
                m_shared[b] = 0;
            }
            m_touched.clear();
            pairsBegin[a + 1] = pairs.size();
        }
        std::sort(pairs.begin(), pairs.end(), rankedBefore);
        return true;
    }

private:
    void markRun(std::span<const std::uint32_t> starts)
    {
        m_files.clear();
        for (const std::uint32_t start : starts)
            m_files.push_back(std::uint32_t(m_index.fileAt(start)));
        std::sort(m_files.begin(), m_files.end());
        m_files.erase(std::unique(m_files.begin(), m_files.end()), m_files.end());
        if (m_files.size() < 2 || tooCommon(m_files.size()))
            return;
        const std::uint32_t set = m_sets.intern(m_files);
        for (const std::uint32_t start : starts)
            m_overlap.m_setAt[start] = set;
    }

    bool tooCommon(std::size_t files) const
    {
        return double(files) * 100.0 >
               m_overlap.m_settings.ignoreAbovePercent * double(m_index.fileCount());
    }

    // Neighbouring starts shared with the same files cover one range together.
    void creditFile(std::uint32_t a)
    {
        const std::uint32_t end = m_index.endPosition(a);
        const std::vector<std::uint32_t> &setAt = m_overlap.m_setAt;
        for (std::uint32_t p = m_index.firstPosition(a); p < end; ++p) {
            const std::uint32_t set = setAt[p];
            if (set == kNoSet)
                continue;
            const std::uint32_t first = p;
            while (p + 1 < end && setAt[p + 1] == set)
                ++p;
            const WordRange covered{first, p + m_words};
            const std::size_t filesEnd = m_overlap.m_setBegin[set + 1];
            for (std::size_t i = m_overlap.m_setBegin[set]; i < filesEnd; ++i) {
                const std::uint32_t b = m_overlap.m_setFiles[i];
                if (b != a)
                    credit(b, covered);
            }
        }
    }

    // Ranges arrive in ascending order of their starts, so what is new of one is what lies
    // beyond the furthest end so far. Every end is above 0, so 0 marks a file not yet touched.
    void credit(std::uint32_t b, WordRange covered)
    {
        std::uint32_t &coveredTo = m_coveredTo[b];
        if (coveredTo == 0)
            m_touched.push_back(b);
        const std::uint32_t from = std::max(covered.begin, coveredTo);
        if (covered.end > from) {
            m_shared[b] += covered.end - from;
            coveredTo = covered.end;
        }
    }

    // The pair of earlier file `a` with `b`: a shared word in one means a shared word in the
    // other, so it was made when `a` was walked.
    static OverlapPair &pairWith(std::vector<OverlapPair> &pairs,
                                 const std::vector<std::size_t> &pairsBegin, std::uint32_t a,
                                 std::uint32_t b)
    {
        const auto first = pairs.begin() + std::ptrdiff_t(pairsBegin[a]);
        const auto last = pairs.begin() + std::ptrdiff_t(pairsBegin[a + 1]);
        const auto found =
            std::lower_bound(first, last, b, [](const OverlapPair &pair, std::uint32_t file) {
                return pair.fileB < file;
            });
        if (found == last || found->fileB != b)
            throw std::logic_error("A shared stretch was seen in one file of a pair only");
        return *found;
    }

    const OverlapIndex &m_index;
    DocumentOverlap &m_overlap;
    const std::uint32_t m_words;
    FileSetTable m_sets;
    std::vector<std::uint32_t> m_files; // of the run being marked
    // By file, while one file is walked: how far its shared ranges reach, and their words.
    std::vector<std::uint32_t> m_coveredTo;
    std::vector<std::uint32_t> m_shared;
    std::vector<std::uint32_t> m_touched;
};

SharedRanges DocumentOverlap::sharedRanges(std::uint32_t first, std::uint32_t second) const
{
    if (first == second || first >= m_fileEnds.size() || second >= m_fileEnds.size())
        return {};
    return {rangesOf(first, second), rangesOf(second, first)};
}

std::vector<WordRange> DocumentOverlap::rangesOf(std::uint32_t file, std::uint32_t other) const
{
    std::vector<WordRange> ranges;
    const std::uint32_t words = m_settings.stretchWords;
    const std::uint32_t end = m_fileEnds[file];
    for (std::uint32_t p = file == 0 ? 0 : m_fileEnds[file - 1]; p < end; ++p) {
        const std::uint32_t set = m_setAt[p];
        if (set == kNoSet)
            continue;
        const auto files =
            std::span(m_setFiles).subspan(m_setBegin[set], m_setBegin[set + 1] - m_setBegin[set]);
        if (!std::binary_search(files.begin(), files.end(), other))
            continue;
        if (!ranges.empty() && p <= ranges.back().end)
            ranges.back().end = p + words;
        else
            ranges.push_back({p, p + words});
    }
    return ranges;
}

OverlapIndex::OverlapIndex(std::span<const std::uint32_t> ids,
                           std::vector<std::uint32_t> documentStarts)
    : m_ids(ids)
    , m_documentStarts(std::move(documentStarts))
{
    if (m_documentStarts.empty())
        m_documentStarts.push_back(0);
    // Words before the first start belong to the first file, as PhraseTable has them.
    m_documentStarts.front() = 0;
    for (std::size_t file = 1; file < m_documentStarts.size(); ++file) {
        const std::uint32_t start = m_documentStarts[file];
        if (start < m_documentStarts[file - 1] || start > ids.size() ||
            (start > 0 && ids[start - 1] != kLineBreak))
            throw std::invalid_argument("Files must follow each other, each ending a line");
    }
    m_words.assign(m_documentStarts.size(), 0);
    for (std::size_t file = 0; file < m_documentStarts.size(); ++file) {
        const auto text =
            ids.subspan(m_documentStarts[file], endPosition(file) - firstPosition(file));
        m_words[file] = std::uint32_t(
            std::count_if(text.begin(), text.end(), [](auto id) { return id != kLineBreak; }));
    }
}

std::optional<OverlapIndex> OverlapIndex::build(std::span<const std::uint32_t> ids,
                                                std::vector<std::uint32_t> documentStarts,
                                                std::stop_token stop)
{
    OverlapIndex index(ids, std::move(documentStarts));
    index.m_suffixArray = detail::buildSuffixArray(ids, stop);
    if (stop.stop_requested())
        return std::nullopt;
    const std::vector<std::uint32_t> permuted =
        detail::buildPermutedLcp(ids, index.m_suffixArray, stop);
    if (stop.stop_requested())
        return std::nullopt;
    index.m_sharedWithPrevious.resize(ids.size());
    for (std::size_t rank = 0; rank < ids.size(); ++rank)
        index.m_sharedWithPrevious[rank] = permuted[index.m_suffixArray[rank]];
    return index;
}

std::uint32_t OverlapIndex::endPosition(std::size_t file) const
{
    return file + 1 < m_documentStarts.size() ? m_documentStarts[file + 1]
                                              : std::uint32_t(m_ids.size());
}

std::size_t OverlapIndex::fileAt(std::uint32_t position) const
{
    const auto after = std::upper_bound(m_documentStarts.begin(), m_documentStarts.end(), position);
    return std::size_t(after - m_documentStarts.begin()) - 1;
}

DocumentOverlap OverlapIndex::compare(const OverlapSettings &settings, std::stop_token stop) const
{
    DocumentOverlap overlap;
    overlap.m_settings = settings;
    overlap.m_settings.stretchWords = std::max<std::uint32_t>(settings.stretchWords, 1);
    DocumentOverlap::Builder builder(*this, overlap);
    if (!builder.markSharedStretches(m_suffixArray, m_sharedWithPrevious, stop) ||
        !builder.countPairs(stop))
        return {};
    for (std::size_t file = 0; file < fileCount(); ++file)
        overlap.m_fileEnds.push_back(endPosition(file));
    return overlap;
}

} // namespace orvanta
