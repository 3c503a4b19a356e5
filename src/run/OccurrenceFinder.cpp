#include "run/OccurrenceFinder.h"

#include "base/Descriptor.h"
#include "base/LowerCase.h"
#include "base/Utf8.h"
#include "extract/Converter.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace orvanta {

namespace {

constexpr qsizetype kContextCharacters = 60;

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

struct WordSpan {
    qsizetype start;
    qsizetype end;
};

// The words as the engine splits them.
std::vector<WordSpan> splitWords(QByteArrayView line)
{
    std::vector<WordSpan> words;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isSeparator(line[i]))
            ++i;
        if (i > start)
            words.push_back({start, i});
    }
    return words;
}

std::uint64_t wordCount(QByteArrayView line)
{
    std::uint64_t words = 0;
    bool inWord = false;
    for (const char c : line) {
        const bool separator = isSeparator(c);
        words += !separator && !inWord;
        inWord = !separator;
    }
    return words;
}

QString display(QByteArrayView text)
{
    QString shown = decodeUtf8(text);
    shown.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return shown;
}

// Enough bytes of a long line's text before or after a phrase for its context: a character
// takes one byte in ASCII, at most four otherwise, and a few separators stand next to the phrase.
qsizetype contextBytes(bool ascii)
{
    return (ascii ? 1 : 4) * (kContextCharacters + 1) + 16;
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text before a phrase, cut to its last characters. Only the bytes that can hold them are
// decoded; when those give too few characters (white space), the whole text is.
QString contextBefore(QByteArrayView before, bool ascii)
{
    qsizetype start = std::max<qsizetype>(0, before.size() - contextBytes(ascii));
    while (start > 0 && start < before.size() && isContinuationByte(before[start]))
        ++start;
    QString shown = display(before.sliced(start)).trimmed();
    if (start > 0 && shown.size() < kContextCharacters)
        shown = display(before).trimmed();
    return shown.right(kContextCharacters);
}

QString contextAfter(QByteArrayView after, bool ascii)
{
    qsizetype end = std::min(after.size(), contextBytes(ascii));
    while (end > 0 && end < after.size() && isContinuationByte(after[end]))
        --end;
    QString shown = display(after.first(end)).trimmed();
    if (end < after.size() && shown.size() < kContextCharacters)
        shown = display(after).trimmed();
    return shown.left(kContextCharacters);
}

class PhraseMatcher {
public:
    explicit PhraseMatcher(const QString &phrase)
        : m_words(phrase.toUtf8().split(' '))
    {
        m_words.removeAll(QByteArray());
        m_joined = m_words.join(' ');
    }

    // `wordsBefore` are the counted words of the source before the line.
    void search(const CountedLine &line, int source, std::uint64_t wordsBefore,
                std::vector<Occurrence> &found) const
    {
        if (m_words.isEmpty())
            return;
        const QByteArray lowered = lowerCase(line.text);
        if (!lowered.contains(m_words.first()) || !mayHoldPhrase(lowered))
            return;
        // Lower-casing ASCII keeps every byte in its place, so its words are compared in the
        // lowered line, without lowering each word again.
        const QByteArrayView comparable = isAscii(line.text) ? QByteArrayView(lowered) : line.text;
        const bool lowerEachWord = comparable.data() == line.text.data();
        const std::vector<WordSpan> words = splitWords(line.text);
        const qsizetype length = m_words.size();
        ShownLine shown; // decoded once for all the line's occurrences
        for (qsizetype first = 0; first + length <= qsizetype(words.size()); ++first) {
            if (!matchesAt(comparable, lowerEachWord, words, first))
                continue;
            if (shown.text.isNull())
                shown = shownLineOf(line, !lowerEachWord);
            found.push_back(occurrence(line, words, first, source, shown));
            found.back().word = wordsBefore + std::uint64_t(first);
        }
    }

private:
    // Where single spaces part the words, the phrase can only stand where its words joined by
    // single spaces do.
    bool mayHoldPhrase(QByteArrayView lowered) const
    {
        return lowered.contains(m_joined) || lowered.contains('\t') || lowered.contains('\r') ||
               lowered.contains("  ");
    }

    bool matchesAt(QByteArrayView text, bool lowerEachWord, const std::vector<WordSpan> &words,
                   qsizetype first) const
    {
        for (qsizetype w = 0; w < m_words.size(); ++w) {
            const WordSpan &span = words[size_t(first + w)];
            const QByteArrayView word = text.sliced(span.start, span.end - span.start);
            if (lowerEachWord ? lowerCase(word) != m_words[w] : word != m_words[w])
                return false;
        }
        return true;
    }

    struct ShownLine {
        QString text;
        bool ascii = false;
    };

    // The line a cut line was cut from, shown around its phrases.
    static QByteArrayView wholeOf(const CountedLine &line)
    {
        return line.whole.isNull() ? line.text : line.whole;
    }

    // The whole line decoded; the lines cut from one line share its decoding.
    ShownLine shownLineOf(const CountedLine &line, bool asciiText) const
    {
        if (line.whole.isNull())
            return {display(line.text), asciiText};
        if (m_lastShown.text.isNull() || m_lastWhole != line.whole) {
            m_lastWhole = line.whole.toByteArray();
            m_lastShown = {display(line.whole), isAscii(line.whole)};
        }
        return m_lastShown;
    }

    Occurrence occurrence(const CountedLine &line, const std::vector<WordSpan> &words,
                          qsizetype first, int source, const ShownLine &shown) const
    {
        const qsizetype last = first + m_words.size() - 1;
        const qsizetype start = words[size_t(first)].start;
        const qsizetype end = words[size_t(last)].end;
        Occurrence occurrence;
        occurrence.source = source;
        if (qsizetype(line.words.size()) == qsizetype(words.size())) {
            const LinePlace begin = line.words[size_t(first)].place;
            const LinePlace finish = line.words[size_t(last)].place;
            occurrence.page = begin.page;
            occurrence.line = begin.line;
            occurrence.lastPage = finish.page;
            occurrence.lastLine = finish.line;
        }
        const QByteArrayView whole = wholeOf(line);
        const qsizetype offset = line.text.data() - whole.data();
        occurrence.before = contextBefore(whole.first(offset + start), shown.ascii);
        occurrence.phrase = display(line.text.sliced(start, end - start));
        occurrence.after = contextAfter(whole.sliced(offset + end), shown.ascii);
        occurrence.text = shown.text;
        return occurrence;
    }

    QList<QByteArray> m_words;
    QByteArray m_joined;
    mutable QByteArray m_lastWhole;
    mutable ShownLine m_lastShown;
};

} // namespace

OccurrenceFinder::OccurrenceFinder(TextStore &store, TextOptions options)
    : m_store(store)
    , m_options(options)
{
}

namespace {

// A text read from its start on every call, as the counted-line options may need twice.
TextSource textOf(int fd, const QString &path, std::stop_token stop)
{
    return [fd, path, stop](const LineSink &sink) {
        ::lseek(fd, 0, SEEK_SET);
        return readLines(fd, path, sink, stop);
    };
}

} // namespace

// The text a source was counted from: kept by the store, or made again when the store has
// dropped it, unless a password opened it (it is kept nowhere) or the file has changed since.
std::optional<StoredTextHandle> OccurrenceFinder::storedText(const CountedSource &source,
                                                             std::optional<Converter> &converter,
                                                             std::stop_token stop) const
{
    const DocumentVersion &version = *source.version;
    const bool recognised = !source.recognitionLanguages.isEmpty();
    if (recognised) {
        if (std::optional<StoredTextHandle> kept =
                m_store.findRecognised(version, source.recognitionLanguages))
            return kept;
    }
    std::optional<StoredTextHandle> stored = m_store.find(version);
    const Result<DocumentVersion> now = m_store.versionOf(source.path, {});
    const bool remakeable =
        version.passwordKey.isEmpty() && now.ok() && now->key() == version.key();
    if (!stored && remakeable) {
        if (!converter) {
            if (Result<Converter> located = Converter::locate(); located.ok())
                converter = std::move(located).value();
        }
        if (converter) {
            Result<StoredTextHandle> again = m_store.obtain(version, {}, *converter, stop);
            if (again.ok() && again->text->isKept())
                stored = std::move(again).value();
        }
    }
    if (stored && recognised) {
        if (!remakeable)
            return std::nullopt;
        Result<StoredTextHandle> read =
            m_store.recognise(version, *stored, {}, source.recognitionLanguages, {}, stop);
        return read.ok() && read->fd.isOpen() ? std::optional(std::move(read).value())
                                              : std::nullopt;
    }
    return stored;
}

QStringList OccurrenceFinder::readCountedTexts(const std::vector<CountedSource> &sources,
                                               const SourceStart &beginSource,
                                               const CountedLineSink &sink,
                                               std::stop_token stop) const
{
    QStringList unavailable;
    std::optional<Converter> converter;
    for (size_t index = 0; index < sources.size() && !stop.stop_requested(); ++index) {
        const CountedSource &source = sources[index];
        Descriptor fd;
        std::vector<int> recognisedPages;
        if (source.plainText) {
            fd.reset(::open(QFile::encodeName(source.path).constData(),
                            O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        } else if (source.version) {
            if (std::optional<StoredTextHandle> stored = storedText(source, converter, stop)) {
                recognisedPages = stored->text->recognisedPages;
                fd = std::move(stored->fd);
            }
        }
        beginSource(int(index), recognisedPages);
        if (!source.plainText && !source.version)
            continue; // a file the run could not read
        if (!fd.isOpen()) {
            unavailable << source.path;
            continue;
        }
        const Status read = readCountedLines(m_options, textOf(fd.get(), source.path, stop), sink,
                                             /*withPlaces=*/true);
        if (!read.ok())
            unavailable << source.path;
    }
    return unavailable;
}

Occurrences OccurrenceFinder::find(const std::vector<CountedSource> &sources, const QString &phrase,
                                   std::stop_token stop) const
{
    Occurrences result;
    const PhraseMatcher matcher(phrase);
    int source = 0;
    std::uint64_t wordsBefore = 0; // in the source
    std::vector<int> recognisedPages;
    const auto markRecognised = [&](size_t first) {
        for (size_t i = first; i < result.found.size(); ++i) {
            Occurrence &occurrence = result.found[i];
            occurrence.recognised = std::find(recognisedPages.begin(), recognisedPages.end(),
                                              occurrence.page) != recognisedPages.end();
        }
    };
    result.unavailable = readCountedTexts(
        sources,
        [&](int index, const std::vector<int> &pages) {
            source = index;
            wordsBefore = 0;
            recognisedPages = pages;
        },
        [&](const CountedLine &line) {
            const size_t first = result.found.size();
            matcher.search(line, source, wordsBefore, result.found);
            markRecognised(first);
            wordsBefore += wordCount(line.text);
        },
        stop);
    return result;
}

} // namespace orvanta
