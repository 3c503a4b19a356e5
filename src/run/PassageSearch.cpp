#include "run/PassageSearch.h"

#include "phrases/PhraseTable.h"
#include "run/OccurrenceFinder.h"

#include <algorithm>

namespace orvanta {

void WordPlaces::add(std::uint32_t position, int source, LinePlace place)
{
    const PassagePlace here{source, place.page, place.line};
    if (m_changes.empty() || m_changes.back().place != here)
        m_changes.push_back({position, here});
}

PassagePlace WordPlaces::at(std::uint32_t position) const
{
    const auto after =
        std::upper_bound(m_changes.begin(), m_changes.end(), position,
                         [](std::uint32_t p, const Change &change) { return p < change.position; });
    return after == m_changes.begin() ? PassagePlace() : std::prev(after)->place;
}

PassageCollector::PassageCollector(PhraseTable &table)
    : m_table(table)
{
}

void PassageCollector::beginSource()
{
    ++m_source;
    m_places.add(m_table.nextPosition(), m_source, {});
    m_table.beginDocument();
}

void PassageCollector::countLine(const CountedLine &line)
{
    std::uint32_t position = m_table.nextPosition();
    for (const WordPlace &word : line.words)
        m_places.add(position++, m_source, word.place);
    m_table.countLine(line.text);
}

RepeatedPassages PassageCollector::find(int minimumWords, std::stop_token stop) const
{
    RepeatedPassages passages;
    const PassageList found = m_table.findPassages(std::uint32_t(std::max(minimumWords, 1)), stop);
    passages.leftOut = found.leftOut;
    passages.longestListed = int(found.longestListed);
    passages.occurrenceBegin.reserve(found.size() + 1);
    passages.places.reserve(found.starts.size());
    std::vector<std::size_t> countedFor; // per file, 1 + the last passage that counted it
    for (std::size_t p = 0; p < found.size(); ++p) {
        if (stop.stop_requested())
            return {};
        const std::span<const std::uint32_t> starts = found.occurrences(p);
        for (const std::uint32_t start : starts)
            passages.places.push_back(m_places.at(start));
        // A passage with occurrences left unlisted counts its files over all of them.
        int fileCount = 0;
        for (const std::uint32_t start :
             starts.size() < found.counts[p] ? found.everyOccurrence(p) : starts) {
            const std::size_t file = m_table.documentAt(start);
            if (file >= countedFor.size())
                countedFor.resize(file + 1, 0);
            if (countedFor[file] != p + 1) {
                countedFor[file] = p + 1;
                ++fileCount;
            }
        }
        passages.occurrenceBegin.push_back(passages.places.size());
        passages.rows.append(m_table.phraseAt(starts.front(), found.lengths[p]),
                             int(found.lengths[p]), int(found.counts[p]), fileCount);
    }
    return passages;
}

QString leftOutPassagesText(const RepeatedPassages &passages)
{
    if (passages.leftOut == 0)
        return {};
    return QStringLiteral("%1 passages longer than %2 words were left out: together they are "
                          "too long to list.")
        .arg(passages.leftOut)
        .arg(passages.longestListed);
}

PassageSearch searchPassages(const OccurrenceFinder &texts,
                             const std::vector<CountedSource> &sources, int minimumWords,
                             std::stop_token stop)
{
    PhraseTable table({});
    PassageCollector collector(table);
    PassageSearch search;
    search.unavailable = texts.readCountedTexts(
        sources, [&](int, const std::vector<int> &) { collector.beginSource(); },
        [&](const CountedLine &line) { collector.countLine(line); }, stop);
    if (!stop.stop_requested())
        search.passages = collector.find(minimumWords, stop);
    return search;
}

} // namespace orvanta
