#include "results/ResultOrder.h"

#include "base/LowerCase.h"
#include "results/PhrasePattern.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <tuple>

namespace orvanta {

namespace {

// Phrases are ordered eight bytes at a time: each pass sorts small fixed-size keys, which
// stays in cache, and only phrases that tie on every byte so far go on to the next pass.
// UTF-8 bytes compared as unsigned numbers give code point order.
struct PhraseKey {
    std::uint64_t chunk;
    std::uint32_t tail; // bytes left from this chunk on, at most 9: 9 means more chunks follow
    std::uint32_t id;

    bool operator<(const PhraseKey &other) const
    {
        return std::tie(chunk, tail, id) < std::tie(other.chunk, other.tail, other.id);
    }
    bool tiesWith(const PhraseKey &other) const
    {
        return chunk == other.chunk && tail == other.tail;
    }
};

constexpr size_t kChunkBytes = 8;

std::uint64_t chunkAt(std::string_view text, size_t depth)
{
    unsigned char bytes[kChunkBytes] = {};
    if (depth < text.size())
        std::memcpy(bytes, text.data() + depth, std::min(kChunkBytes, text.size() - depth));
    std::uint64_t chunk = 0;
    for (const unsigned char byte : bytes)
        chunk = chunk << 8 | byte;
    return chunk;
}

void fillKeys(std::span<PhraseKey> keys, const PhraseResults &results, size_t depth)
{
    for (PhraseKey &key : keys) {
        const std::string_view text = results.phraseUtf8(key.id);
        const size_t left = text.size() > depth ? text.size() - depth : 0;
        key.chunk = chunkAt(text, depth);
        key.tail = std::uint32_t(std::min(left, kChunkBytes + 1));
    }
}

void sortByPhrase(std::span<PhraseKey> keys, const PhraseResults &results, size_t depth)
{
    fillKeys(keys, results, depth);
    std::sort(keys.begin(), keys.end());
    for (size_t start = 0; start < keys.size();) {
        size_t end = start + 1;
        while (end < keys.size() && keys[end].tiesWith(keys[start]))
            ++end;
        if (end - start > 1 && keys[start].tail > kChunkBytes)
            sortByPhrase(keys.subspan(start, end - start), results, depth + kChunkBytes);
        start = end;
    }
}

void sortByPhrase(std::vector<std::uint32_t> &ids, const PhraseResults &results)
{
    std::vector<PhraseKey> keys(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        keys[i].id = ids[i];
    sortByPhrase(keys, results, 0);
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = keys[i].id;
}

std::uint32_t numberOf(const PhraseResults &results, std::uint32_t id, ResultKey key)
{
    switch (key) {
    case ResultKey::Words:
        return std::uint32_t(results.wordCount(id));
    case ResultKey::Files:
        return std::uint32_t(results.files(id));
    case ResultKey::Frequency:
    case ResultKey::Phrase:
        break;
    }
    return std::uint32_t(results.frequency(id));
}

// The number above the id in one word: a plain sort of those is the whole order.
void sortByNumber(std::vector<std::uint32_t> &ids, const PhraseResults &results, ResultKey key)
{
    std::vector<std::uint64_t> keys(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        keys[i] = std::uint64_t(numberOf(results, ids[i], key)) << 32 | ids[i];
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = std::uint32_t(keys[i]);
}

QByteArray needleOf(const QString &text)
{
    return lowerCase(text.simplified().toUtf8());
}

bool isPattern(const ResultFilter &filter)
{
    return filter.regularExpression || filter.text.contains(QLatin1Char('*')) ||
           filter.text.contains(QLatin1Char('?'));
}

// What the filter's text asks of a phrase.
std::function<bool(std::string_view)> textTest(const ResultFilter &filter)
{
    if (!isPattern(filter)) {
        return [needle = needleOf(filter.text).toStdString()](std::string_view phrase) {
            return phrase.find(needle) != std::string_view::npos;
        };
    }
    const auto kind = filter.regularExpression ? PhrasePattern::Kind::RegularExpression
                                               : PhrasePattern::Kind::Wildcards;
    const QString text = filter.regularExpression ? filter.text : filter.text.simplified();
    Result<PhrasePattern> pattern = PhrasePattern::make(text, kind);
    if (!pattern)
        return [](std::string_view) { return false; };
    return [pattern = std::move(*pattern)](std::string_view phrase) {
        return pattern.matches(phrase);
    };
}

} // namespace

void sortResults(std::vector<std::uint32_t> &ids, const PhraseResults &results, ResultKey key,
                 Qt::SortOrder order)
{
    if (key == ResultKey::Phrase)
        sortByPhrase(ids, results);
    else
        sortByNumber(ids, results, key);
    if (order == Qt::DescendingOrder)
        std::reverse(ids.begin(), ids.end());
}

// A pattern is narrower than another only when it is the same one.
bool ResultFilter::isNarrowerThan(const ResultFilter &wider) const
{
    const bool narrowerText =
        isPattern(*this) || isPattern(wider)
            ? text == wider.text && regularExpression == wider.regularExpression
            : needleOf(text).contains(needleOf(wider.text));
    return minFrequency >= wider.minFrequency && minFiles >= wider.minFiles && narrowerText;
}

std::vector<std::uint32_t> filterResults(std::span<const std::uint32_t> ids,
                                         const PhraseResults &results, const ResultFilter &filter)
{
    const auto holdsText = textTest(filter);
    std::vector<std::uint32_t> passed;
    for (const std::uint32_t id : ids) {
        if (results.frequency(id) >= filter.minFrequency && results.files(id) >= filter.minFiles &&
            holdsText(results.phraseUtf8(id)))
            passed.push_back(id);
    }
    return passed;
}

} // namespace orvanta
