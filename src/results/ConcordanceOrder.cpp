#include "results/ConcordanceOrder.h"

#include "base/LowerCase.h"
#include "documents/LetterWords.h"
#include "documents/WordCleanup.h"

#include <QFileInfo>

#include <algorithm>
#include <numeric>

namespace orvanta {

namespace {

// How far from the phrase the key looks, and on which side; 0 for the file.
int distanceOf(ConcordanceKey key)
{
    switch (key) {
    case ConcordanceKey::File:
        return 0;
    case ConcordanceKey::Left1:
    case ConcordanceKey::Right1:
        return 1;
    case ConcordanceKey::Left2:
    case ConcordanceKey::Right2:
        return 2;
    case ConcordanceKey::Left3:
    case ConcordanceKey::Right3:
        return 3;
    }
    return 0;
}

bool looksRight(ConcordanceKey key)
{
    return key == ConcordanceKey::Right1 || key == ConcordanceKey::Right2 ||
           key == ConcordanceKey::Right3;
}

// The words of a context parted by spaces, as ranges, in text order.
std::vector<ContextWord> spacedWords(const QString &text, bool after)
{
    std::vector<ContextWord> words;
    qsizetype at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == QLatin1Char(' '))
            ++at;
        const qsizetype start = at;
        while (at < text.size() && text[at] != QLatin1Char(' '))
            ++at;
        if (at > start)
            words.push_back({after, start, at - start});
    }
    return words;
}

} // namespace

QByteArray ContextWords::countedText(QStringView word) const
{
    const QByteArray utf8 = word.toUtf8();
    if (m_options.wordsNeedLetters && !holdsLetterOrDigit(utf8))
        return {};
    if (m_options.ignorePunctuation)
        return withoutOuterPunctuation(utf8).toByteArray();
    return utf8;
}

std::optional<ContextWords::Word> ContextWords::nthWord(const Occurrence &occurrence,
                                                        ConcordanceKey key) const
{
    const int distance = distanceOf(key);
    if (distance == 0)
        return std::nullopt;
    const bool after = looksRight(key);
    const QString &text = after ? occurrence.after : occurrence.before;
    std::vector<ContextWord> words = spacedWords(text, after);
    if (!after)
        std::reverse(words.begin(), words.end());
    int seen = 0;
    for (const ContextWord &place : words) {
        QByteArray counted = countedText(QStringView(text).sliced(place.start, place.length));
        if (!counted.isEmpty() && ++seen == distance)
            return Word{place, std::move(counted)};
    }
    return std::nullopt;
}

std::optional<ContextWord> ContextWords::wordOf(const Occurrence &occurrence,
                                                ConcordanceKey key) const
{
    if (const std::optional<Word> word = nthWord(occurrence, key))
        return word->place;
    return std::nullopt;
}

QByteArray ContextWords::sortTextOf(const Occurrence &occurrence, ConcordanceKey key) const
{
    if (const std::optional<Word> word = nthWord(occurrence, key))
        return lowerCase(word->counted);
    return {};
}

std::vector<int> concordanceOrder(const std::vector<Occurrence> &found, const QStringList &paths,
                                  std::span<const ConcordanceKey> keys, Qt::SortOrder order,
                                  const ContextWords &words)
{
    // Each row's texts to compare, key after key, made once.
    std::vector<std::vector<QByteArray>> compared(found.size());
    for (size_t row = 0; row < found.size(); ++row) {
        for (const ConcordanceKey key : keys) {
            if (key != ConcordanceKey::File) {
                compared[row].push_back(words.sortTextOf(found[row], key));
                continue;
            }
            const int source = found[row].source;
            const QString path = source >= 0 && source < paths.size() ? paths[source] : QString();
            compared[row].push_back(lowerCase(QFileInfo(path).fileName().toUtf8()));
            compared[row].push_back(path.toUtf8());
        }
    }
    std::vector<int> rows(found.size());
    std::iota(rows.begin(), rows.end(), 0);
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        return order == Qt::AscendingOrder ? compared[size_t(a)] < compared[size_t(b)]
                                           : compared[size_t(b)] < compared[size_t(a)];
    });
    return rows;
}

ConcordanceLine concordanceLine(const Occurrence &occurrence, const QStringList &paths)
{
    const int source = occurrence.source;
    return {source >= 0 && source < paths.size() ? paths[source] : QString(),
            occurrence.page,
            occurrence.line,
            occurrence.before,
            occurrence.phrase,
            occurrence.after};
}

} // namespace orvanta
