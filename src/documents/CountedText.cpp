#include "documents/CountedText.h"

#include <vector>

namespace orvanta {

QStringList TextOptions::namesOfThoseOn() const
{
    QStringList names;
    if (joinWrappedLines)
        names << QStringLiteral("wrapped lines joined");
    if (rejoinHyphenatedWords)
        names << QStringLiteral("hyphenated words rejoined");
    if (dropRunningHeads)
        names << QStringLiteral("running heads and feet left out");
    if (ignorePunctuation)
        names << QStringLiteral("punctuation ignored");
    if (normaliseCompatibility)
        names << QStringLiteral("compatibility characters normalised");
    return names;
}

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

qsizetype wordCount(QByteArrayView line)
{
    qsizetype words = 0;
    bool inWord = false;
    for (const char c : line) {
        const bool separator = isSeparator(c);
        if (!separator && !inWord)
            ++words;
        inWord = !separator;
    }
    return words;
}

} // namespace

Status readCountedLines(const TextOptions &options, const TextSource &read,
                        const CountedLineSink &sink, bool withPlaces)
{
    (void)options;
    std::vector<WordPlace> places;
    return read([&](QByteArrayView line, LinePlace place) {
        if (withPlaces)
            places.assign(size_t(wordCount(line)), WordPlace{place});
        sink(CountedLine{line, places});
    });
}

} // namespace orvanta
