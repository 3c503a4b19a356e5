#include "documents/LineAssembler.h"

#include "base/LowerCase.h"
#include "documents/WordCleanup.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace orvanta {

namespace {

// A paragraph is handed over at the next line break once it is this long, so a text without
// blank lines or pages never sits in memory whole.
constexpr size_t kLongestParagraph = 1 << 20;

constexpr QByteArrayView kHyphenSigns[] = {"\u2010", "\u2011", "\uFE63", "\uFF0D"};

// True when the line holds a hyphen or something that is one in compatibility form.
bool mayHoldHyphen(QByteArrayView line)
{
    if (line.contains('-'))
        return true;
    return !isAscii(line) &&
           std::any_of(std::begin(kHyphenSigns), std::end(kHyphenSigns),
                       [line](QByteArrayView sign) { return line.contains(sign); });
}

} // namespace

void HyphenatedWords::addLine(QByteArrayView utf8Line, bool normalise)
{
    if (!mayHoldHyphen(utf8Line))
        return;
    QByteArray storage;
    forEachWord(normalise ? inCompatibilityForm(utf8Line, storage) : utf8Line,
                [this](QByteArrayView word) {
                    const QByteArrayView core = withoutOuterPunctuation(word);
                    if (holdsHyphen(core))
                        m_words.insert(lowerCase(core));
                });
}

LineAssembler::LineAssembler(const TextOptions &options, const HyphenatedWords &hyphenated,
                             const CountedLineSink &sink, bool withPlaces)
    : m_options(options)
    , m_hyphenated(hyphenated)
    , m_sink(sink)
    , m_withPlaces(withPlaces)
{
}

void LineAssembler::addLine(QByteArrayView utf8Line, LinePlace place)
{
    QByteArrayView line = withoutOuterSeparators(
        m_options.normaliseCompatibility ? inCompatibilityForm(utf8Line, m_normalised) : utf8Line);
    const bool blank = line.isEmpty();
    if (m_holding) {
        if (blank) {
            ++m_blankLinesWaiting;
            return;
        }
        if (const QByteArrayView first = firstWordOf(line); startsInLowerCase(first)) {
            joinHeldWith(first);
            line = withoutOuterSeparators(line.sliced(first.size()));
        }
        releaseHeld();
    }
    startLine(place, blank);
    if (m_options.rejoinHyphenatedWords && !line.isEmpty() &&
        lineEndHyphenLength(lastWordOf(line)) > 0) {
        hold(line, place);
        return;
    }
    appendWords(line, place);
    endLine();
}

void LineAssembler::finish()
{
    if (m_holding)
        releaseHeld();
    endParagraph();
}

void LineAssembler::hold(QByteArrayView line, LinePlace place)
{
    const QByteArrayView last = lastWordOf(line);
    m_heldText = line.chopped(last.size()).toByteArray();
    m_heldLastWord = last.toByteArray();
    m_heldPlace = place;
    m_holding = true;
}

// The held word goes on at the start of the next line: "exam-" and "ple," make "example,". The
// hyphen stays when the text shows the word hyphenated elsewhere ("well-" and "known").
void LineAssembler::joinHeldWith(QByteArrayView continuation)
{
    const qsizetype hyphenLength = lineEndHyphenLength(m_heldLastWord);
    const QByteArray hyphen = m_heldLastWord.last(hyphenLength);
    m_heldLastWord.chop(hyphenLength);
    const QByteArray compound =
        lowerCase(withoutOuterPunctuation(m_heldLastWord).toByteArray() + hyphen +
                  withoutOuterPunctuation(continuation).toByteArray());
    if (m_hyphenated.contains(compound))
        m_heldLastWord += hyphen;
    m_heldLastWord += continuation;
}

void LineAssembler::releaseHeld()
{
    m_holding = false;
    appendWords(m_heldText, m_heldPlace);
    appendWords(m_heldLastWord, m_heldPlace);
    endLine();
    for (; m_blankLinesWaiting > 0; --m_blankLinesWaiting) {
        startLine(m_heldPlace, /*blank=*/true);
        endLine();
    }
}

// A blank line or a new page ends a paragraph.
void LineAssembler::startLine(LinePlace place, bool blank)
{
    if (!m_options.joinWrappedLines)
        return;
    if (blank || place.page != m_lastPage)
        endParagraph();
    if (!blank)
        m_lastPage = place.page;
}

// Without punctuation to leave out, the words go in as they stand, separators and all. With it,
// they are written straight into the buffer: the words and one space before each take no more
// room than the text and one space.
void LineAssembler::appendWords(QByteArrayView text, LinePlace place)
{
    if (!m_options.ignorePunctuation) {
        appendText(withoutOuterSeparators(text), place);
        return;
    }
    const size_t start = m_text.size();
    m_text.resize(start + size_t(text.size()) + 1);
    char *out = m_text.data() + start;
    forEachWord(text, [&](QByteArrayView word) {
        // A word of punctuation alone stays when words need a letter or digit: it parts phrases.
        if (const QByteArrayView core = withoutOuterPunctuation(word); !core.isEmpty())
            word = core;
        else if (!m_options.wordsNeedLetters)
            return;
        if (out != m_text.data())
            *out++ = ' ';
        std::memcpy(out, word.data(), size_t(word.size()));
        out += word.size();
        if (m_withPlaces)
            m_places.push_back(WordPlace{place});
    });
    m_text.resize(size_t(out - m_text.data()));
}

void LineAssembler::appendText(QByteArrayView text, LinePlace place)
{
    if (text.isEmpty())
        return;
    if (!m_text.empty())
        m_text += ' ';
    m_text.append(text.data(), size_t(text.size()));
    if (m_withPlaces)
        forEachWord(text, [&](QByteArrayView) { m_places.push_back(WordPlace{place}); });
}

void LineAssembler::endLine()
{
    if (!m_options.joinWrappedLines || m_text.size() >= kLongestParagraph)
        handOver();
}

void LineAssembler::endParagraph()
{
    if (!m_text.empty())
        handOver();
}

void LineAssembler::handOver()
{
    m_sink(CountedLine{QByteArrayView(m_text.data(), qsizetype(m_text.size())), m_places});
    m_text.clear();
    m_places.clear();
}

} // namespace orvanta
