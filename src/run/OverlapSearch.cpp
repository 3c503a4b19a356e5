#include "run/OverlapSearch.h"

#include "base/Utf8.h"
#include "documents/WordCleanup.h"

#include <algorithm>

namespace orvanta {

namespace {

// UTF-16 code units of valid UTF-8: one for each character, two for one above U+FFFF.
qsizetype utf16Length(QByteArrayView utf8)
{
    qsizetype units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0;
        units += byte >= 0xF0 ? 1 : 0;
    }
    return units;
}

QString shown(QByteArrayView utf8)
{
    QString text = decodeUtf8(utf8);
    text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

// Lays a file's counted lines, read again, over the word positions it was counted at, and
// finds where in them its shared stretches stand.
class SideReader {
public:
    SideReader(const PairSide &counted, std::uint32_t firstPosition,
               std::span<const WordRange> ranges)
        : m_side(counted)
        , m_position(firstPosition)
        , m_ranges(ranges)
    {
    }

    void addLine(const CountedLine &line)
    {
        splitWords(line.text, m_words);
        if (m_words.empty())
            return; // the counting gave it no position
        const std::uint32_t first = m_position;
        m_position += std::uint32_t(m_words.size()) + 1;
        const auto textLine = int(m_side.lines.size());
        m_side.lines << shown(line.text);
        m_side.linePlaces.push_back(line.words.empty() ? LinePlace() : line.words.front().place);
        for (; m_next < m_ranges.size() && m_ranges[m_next].begin < m_position; ++m_next) {
            const WordRange range = m_ranges[m_next];
            if (range.begin < first || range.end > first + m_words.size()) {
                m_misplaced = true;
                continue;
            }
            const QByteArrayView firstWord = m_words[range.begin - first];
            const QByteArrayView lastWord = m_words[range.end - 1 - first];
            const qsizetype from = firstWord.data() - line.text.data();
            const QByteArrayView words =
                line.text.sliced(from, lastWord.data() + lastWord.size() - firstWord.data());
            SharedStretch &stretch = m_side.stretches[m_next];
            stretch.textLine = textLine;
            stretch.begin = utf16Length(line.text.first(from));
            stretch.end = stretch.begin + utf16Length(words);
            stretch.text = shown(words);
        }
    }

    // The side when the text fills exactly the positions it was counted at.
    std::optional<PairSide> take(std::uint32_t endPosition)
    {
        if (m_misplaced || m_position != endPosition || m_next != m_ranges.size())
            return std::nullopt;
        return std::move(m_side);
    }

private:
    PairSide m_side;
    std::uint32_t m_position;
    std::span<const WordRange> m_ranges;
    std::size_t m_next = 0;
    bool m_misplaced = false;
    std::vector<QByteArrayView> m_words; // of the line being laid
};

} // namespace

OverlapTexts::OverlapTexts(const OccurrenceFinder &texts, std::vector<CountedSource> sources)
    : m_texts(texts)
    , m_sources(std::move(sources))
{
}

std::shared_ptr<const OverlapTexts> OverlapTexts::read(const OccurrenceFinder &texts,
                                                       std::vector<CountedSource> sources,
                                                       std::stop_token stop)
{
    std::shared_ptr<OverlapTexts> read(new OverlapTexts(texts, std::move(sources)));
    PassageCollector &collector = read->m_collector;
    read->m_unavailable = texts.readCountedTexts(
        read->m_sources, [&](int, const std::vector<int> &) { collector.beginSource(); },
        [&](const CountedLine &line) { collector.countLine(line); }, stop);
    if (stop.stop_requested())
        return nullptr;
    read->m_index =
        OverlapIndex::build(read->m_table.wordIds(), read->m_table.documentStarts(), stop);
    if (!read->m_index)
        return nullptr;
    return read;
}

DocumentOverlap OverlapTexts::compare(const OverlapSettings &settings, std::stop_token stop) const
{
    return m_index->compare(settings, std::move(stop));
}

PairReading OverlapTexts::readPair(const DocumentOverlap &overlap, int first, int second,
                                   std::stop_token stop) const
{
    const auto sourceCount = int(m_sources.size());
    if (first < 0 || second < 0 || first >= sourceCount || second >= sourceCount)
        return {};
    const SharedRanges ranges = overlap.sharedRanges(std::uint32_t(first), std::uint32_t(second));
    PairReading reading;
    const auto counted = [&](int source, const std::vector<WordRange> &shared) {
        PairSide side;
        side.source = source;
        for (const WordRange range : shared)
            side.stretches.push_back(stretchAt(range));
        return side;
    };
    reading.first = counted(first, ranges.inFirst);
    reading.second = counted(second, ranges.inSecond);

    SideReader readers[] = {
        {reading.first, m_index->firstPosition(std::size_t(first)), ranges.inFirst},
        {reading.second, m_index->firstPosition(std::size_t(second)), ranges.inSecond}};
    int reader = 0;
    reading.unavailable = m_texts.readCountedTexts(
        {m_sources[std::size_t(first)], m_sources[std::size_t(second)]},
        [&](int index, const std::vector<int> &) { reader = index; },
        [&](const CountedLine &line) { readers[reader].addLine(line); }, stop);
    if (stop.stop_requested())
        return {};
    PairSide *const sides[] = {&reading.first, &reading.second};
    for (int i = 0; i < 2; ++i) {
        const auto source = std::size_t(sides[i]->source);
        if (std::optional<PairSide> read = readers[i].take(m_index->endPosition(source)))
            *sides[i] = std::move(*read);
        else if (!reading.unavailable.contains(m_sources[source].path))
            reading.unavailable << m_sources[source].path; // changed since it was counted
    }
    return reading;
}

SharedStretch OverlapTexts::stretchAt(WordRange range) const
{
    const WordPlaces &places = m_collector.places();
    SharedStretch stretch;
    stretch.words = int(range.end - range.begin);
    stretch.first = places.at(range.begin);
    const PassagePlace last = places.at(range.end - 1);
    stretch.last = {last.page, last.line};
    stretch.text = QString::fromStdString(m_table.phraseAt(range.begin, range.end - range.begin));
    stretch.placeOnPage = placeOnPage(range, stretch.first.page);
    return stretch;
}

int OverlapTexts::placeOnPage(WordRange range, int page) const
{
    const WordPlaces &places = m_collector.places();
    // Pages ascend through a file, so its first position on the page is found by halving.
    std::uint32_t pageStart = m_index->firstPosition(m_index->fileAt(range.begin));
    std::uint32_t high = range.begin;
    while (pageStart < high) {
        const std::uint32_t middle = pageStart + (high - pageStart) / 2;
        if (places.at(middle).page < page)
            pageStart = middle + 1;
        else
            high = middle;
    }
    const std::span<const std::uint32_t> ids = m_table.wordIds();
    const auto words = ids.subspan(range.begin, range.end - range.begin);
    int place = 0;
    for (std::uint32_t q = pageStart; q < range.begin; ++q)
        place += std::equal(words.begin(), words.end(), ids.begin() + q) ? 1 : 0;
    return place;
}

} // namespace orvanta
