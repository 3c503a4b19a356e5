#include "documents/CountedText.h"

#include "documents/LetterWords.h"
#include "documents/LineAssembler.h"
#include "documents/RunningHeads.h"
#include "documents/WordCleanup.h"

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
    if (wordsNeedLetters)
        names << QStringLiteral("words need a letter or digit");
    return names;
}

namespace {

qsizetype wordCount(QByteArrayView line)
{
    qsizetype words = 0;
    bool inWord = false;
    for (const char c : line) {
        const bool separator = isWordSeparator(c);
        if (!separator && !inWord)
            ++words;
        inWord = !separator;
    }
    return words;
}

// Every line as the converter wrote it.
Status passLinesThrough(const TextSource &read, const CountedLineSink &sink, bool withPlaces)
{
    std::vector<WordPlace> places;
    return read([&](QByteArrayView line, LinePlace place) {
        if (withPlaces)
            places.assign(size_t(wordCount(line)), WordPlace{place});
        sink(CountedLine{line, places});
    });
}

// What the options need to know of the whole text before its first line is counted.
struct TextSurvey {
    std::vector<LinePlace> leftOut; // running heads and feet, in text order
    HyphenatedWords hyphenated;
};

Result<TextSurvey> survey(const TextOptions &options, const TextSource &read)
{
    TextSurvey found;
    if (!options.dropRunningHeads && !options.rejoinHyphenatedWords)
        return found;
    RunningHeadFinder heads;
    const Status status = read([&](QByteArrayView line, LinePlace place) {
        if (options.dropRunningHeads)
            heads.addLine(line, place);
        if (options.rejoinHyphenatedWords)
            found.hyphenated.addLine(line, options.normaliseCompatibility);
    });
    if (!status.ok())
        return Failure{status.error()};
    if (options.dropRunningHeads)
        found.leftOut = heads.linesToLeaveOut();
    return found;
}

bool comesBefore(LinePlace a, LinePlace b)
{
    return a.page < b.page || (a.page == b.page && a.line < b.line);
}

Status readAssembledLines(const TextOptions &options, const TextSource &read,
                          const CountedLineSink &sink, bool withPlaces)
{
    if (!options.reassemblesLines())
        return passLinesThrough(read, sink, withPlaces);
    const Result<TextSurvey> surveyed = survey(options, read);
    if (!surveyed.ok())
        return Failure{surveyed.error()};
    const std::vector<LinePlace> &leftOut = surveyed->leftOut;
    auto nextLeftOut = leftOut.begin();
    LineAssembler assembler(options, surveyed->hyphenated, sink, withPlaces);
    const Status status = read([&](QByteArrayView line, LinePlace place) {
        while (nextLeftOut != leftOut.end() && comesBefore(*nextLeftOut, place))
            ++nextLeftOut;
        if (nextLeftOut == leftOut.end() || *nextLeftOut != place)
            assembler.addLine(line, place);
    });
    if (!status.ok())
        return status;
    assembler.finish();
    return {};
}

} // namespace

Status readCountedLines(const TextOptions &options, const TextSource &read,
                        const CountedLineSink &sink, bool withPlaces)
{
    if (options.wordsNeedLetters) {
        const CountedLineSink cutting = [&sink](const CountedLine &line) {
            forEachRunOfLetterWords(line, sink);
        };
        return readAssembledLines(options, read, cutting, withPlaces);
    }
    return readAssembledLines(options, read, sink, withPlaces);
}

} // namespace orvanta
