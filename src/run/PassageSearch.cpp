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
    passages.occurrenceBegin.reserve(found.size() + 1);
    passages.places.reserve(found.starts.size());
    for (std::size_t p = 0; p < found.size(); ++p) {
        if (stop.stop_requested())
            return {};
        const std::span<const std::uint32_t> starts = found.occurrences(p);
        int files = 0;
        std::size_t lastFile = 0;
        for (const std::uint32_t start : starts) {
            const std::size_t file = m_table.documentAt(start);
            if (files == 0 || file != lastFile)
                ++files;
            lastFile = file;
            passages.places.push_back(m_places.at(start));
        }
        passages.occurrenceBegin.push_back(passages.places.size());
        passages.rows.append(m_table.phraseAt(starts.front(), found.lengths[p]),
                             int(found.lengths[p]), int(starts.size()), files);
    }
    return passages;
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
